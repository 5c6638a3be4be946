// The screens: loading the shared screen resources, the table of screens (what
// each shows on entry, does in a frame and on Escape), the commands, the global
// keys and the weapon selection.
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "engine/EngineCalls.h"
#include "engine/ScreenUnits.h"
#include "game/Game.h"
#include "game/GameHost.h"
#include "game/Random.h"
#include "platform/Platform.h"
#include "scores/WebScores.h"
#include "settings/Settings.h"
#include "shell/Shell.h"
#include "ui/DXCtrl.h"
#include "ui/Menus.h"

namespace gh {

SoundRef ClickSound;
SpriteRef CursorSprite;
SpriteRef LoadingSprite;
SpriteRef MenuBackSprite;
SpriteRef HelpBonusSprite;
SpriteRef HelpAboutSprite;
SpriteRef HelpCtrlSprite;
SpriteRef HiScoreSprite;
SoundRef GameMusic;
SoundRef MenuMusic;

namespace {

// Where the program goes once the frame of a game that has ended is over (0
// while the game goes on).
int8_t EndedGameScreen = 0;

// A game the last engine run stopped, to go on with in the next.
std::optional<GameProgress> SuspendedGame;

// A game that has ended is freed after its frame, then its screen follows.
void CloseEndedGame() {
  if (EndedGameScreen == 0) return;
  const int8_t screen = EndedGameScreen;
  EndedGameScreen = 0;
  RunningGame.reset();
  SwitchScreen(screen);
  UpdateMusic();
}

// The shell as the game and the widgets see it.
class ShellHost final : public GameHost, public UiHost {
 public:
  ShellHost() { SetUiHost(this); }
  void Ask(const std::string& line1, const std::string& line2, const iColor& colour, bool nameBox,
           std::function<void(bool)> then) override {
    // The game's frame ends with the program's check for a game that has ended.
    ::gh::Ask(line1, line2, colour, nameBox, [then = std::move(then)](bool answer) {
      if (then) then(answer);
      CloseEndedGame();
    });
  }
  void ScoreEntered(const std::string& name, int32_t score, const std::string& country) override {
    RememberUnsentScore(name, score, country);
  }
  void SendScore(const std::string& name, int32_t score, const std::string& country,
                 std::function<void(bool)> then) override {
    ::gh::SendScore(name, score, country, [then = std::move(then)](bool sent) {
      if (then) then(sent);
      CloseEndedGame();
    });
  }
  void PlaySound(SoundRef sound, bool looped) override { PlaySoundFx(sound, looped); }
  void EndGame(bool toHighScores) override {
    EndedGameScreen = toHighScores ? ScreenHiScore : ScreenMenu;
  }
  void SetPointerPicture(const char* file) override { iSpriteTextureChange(CursorSprite, file); }
  void Activate(uint8_t action) override {
    if (IsCommand(action)) {
      RunCommand(action);
    } else {
      SwitchScreen(static_cast<int8_t>(action));
    }
  }
  void PlayClick() override { PlaySoundFx(ClickSound, false); }
};

ShellHost Host;

enum : int32_t {
  KeyEscape = 1,
  KeyTab = 15,
  KeyLeftAlt = 56,
  KeyRightAlt = 184,
};

constexpr float PlayingDepth = -20.0f;

void ShowWidget(TDDControl* widget) {
  if (widget) widget->Show();
}

void ShowSprite(SpriteRef sprite) {
  if (sprite) iSpriteShow(sprite);
}

void SetAction(TDDControl* widget, int8_t screen) {
  if (widget) widget->Action = static_cast<uint8_t>(screen);
}

// Our display face is wider than the one the titles' places were chosen for: a
// title that would run past the view's right edge ends a little inside it instead.
void PrintTitle(const char* title, float x, float y) {
  constexpr float kScale = 2, kSpacing = -0.2f, kRightEdge = 16, kMargin = 0.3f;
  const iVec2 scale{kScale, kScale};
  const float width = iPrintWidth(title, &scale, kSpacing, MainFont);
  const float left = std::min(x, kRightEdge - kMargin - width);
  PrintText(title, AlignLeft, true, left, y, kScale, kScale, kSpacing, ColourTitle);
}

void FollowPointer();
bool ScreenFrame();

// A question's answer is acted on only while the screen that asked is still
// shown: a restart or a window message during the question has moved on. Asked
// by the Escape key, the answer also finishes the asking frame's pointer and
// screen work.
void AskExit(bool byKey) {
  const int8_t asking = CurrentScreen;
  Ask("Exit the game?", "", ColourGreen, false, [asking, byKey](bool yes) {
    if (CurrentScreen == asking) SwitchScreen(yes ? ScreenFadeOut : ScreenMenu);
    if (!byKey) return;
    FollowPointer();
    ScreenFrame();
  });
}

// The table of ten on the HIGH SCORE screen.
void DrawHighScoreTable() {
  for (int i = 0; i < 10; ++i) {
    const auto y = static_cast<float>(4.1 - 1.43 * i);
    const iColor& colour = i == 0 ? ColourCaption : ColourScoreRow;
    PrintText(std::to_string(i + 1), AlignCentre, false, -7.5f, y, 0.8f, 0.8f, -0.1f, colour);
    PrintText(HighScores[i].Name, AlignLeft, false, -3.8f, y, 0.8f, 0.8f, -0.1f, colour);
    PrintText(std::to_string(HighScores[i].Score), AlignCentre, false, 7.7f, y, 0.8f, 0.8f, -0.1f,
              colour);
  }
}

}  // namespace

std::string WorldScoresAddress() { return ScorePageAddress(); }

void SaveSettingsOrTell() {
  std::string error;
  if (!SaveSettings(&error)) {
    ThePlatform().ShowError("The settings and high scores could not be saved to \"" +
                            std::string(ConfigFileName) + "\": " + error);
  }
}

std::string HomePageAddress() { return GH_HOME_PAGE; }

void LoadResources() {
  SeedRandom(ThePlatform().TickCount());

  Camera = iCameraCreate(0, 0, 1.0f, 1.0f);
  const iVec3 cameraAt{0, 0, -20.7f};
  iCameraLocationSet(Camera, &cameraAt);
  SetLightsDepth(PlayingDepth);

  LoadingSprite = CreatePicture(LoadingPictureFile, false, 0, 0);
  iSpriteRender(LoadingSprite, true);
  SaveNewSettingsFile();

  ClickSound = iSoundCreate("Data\\Sound\\Click.wav", -1).release();

  MenuBackSprite = CreatePicture("Data\\MenuBack.jpg", false, 0, 0);
  HelpBonusSprite = CreatePicture("Data\\Help_Bonus.png", false, 0, -1.5f);
  HelpAboutSprite = CreatePicture("Data\\Help_About.png", false, 0, 0);
  HelpCtrlSprite = CreatePicture("Data\\Help_CTRL.png", false, 2.0f, -1.5f);
  HiScoreSprite = CreatePicture("Data\\HiScore.png", false, 0, -1.6f);

  // Placed by the first frame.
  CursorSprite = CreatePicture("Data\\cursor.png", true, iMouseX(), iMouseY());

  BuildMenus();

  // The tunes of an earlier engine run went with that engine; their handles
  // must not reach the new one, which may have given them to other objects.
  GameMusic = SoundRef();
  MenuMusic = SoundRef();
  GameMusic = iSoundOggCreate("Data\\Sound\\Game.ogg", 0, 18000000).release();
  MenuMusic = iSoundOggCreate("Data\\Sound\\Menu.ogg", 0, 18000000).release();
  UpdateMusic();

  MainFont = iFontCreate("Data\\font\\BancoDi.wid", Camera);
  iSpritePrioritySet(CursorSprite, 1);
  ThePlatform().HideSystemPointer();

  SwitchScreen(PreviousScreen);
  SuspendedGame.reset();  // a game not taken up by now is over
}

void SuspendRunningGame() {
  SuspendedGame.reset();
  if (RunningGame && EndedGameScreen == 0) SuspendedGame = RunningGame->Progress();
}

namespace {

// ---- what each screen does on entry, in a frame and on Escape ----------------

void StartFade(bool in) {
  FadeLevel = 0;
  if (LoadingSprite) iSpriteHide(LoadingSprite);
  if (MenuBackSprite) {
    // The first frame of the fade draws the background as the fade begins.
    iSpriteColorSet(MenuBackSprite, 1, 1, 1, in ? 0.0f : 1.0f);
    iSpriteShow(MenuBackSprite);
  }
}

void EnterMenu() {
  ShowSprite(MenuBackSprite);
  for (int slot = 0; slot <= 5; ++slot) ShowWidget(TextButtons[slot]);
}

void EnterGame() {
  if (LoadingSprite) iSpriteRender(LoadingSprite, true);
  UpdateMusic();
  EndedGameScreen = 0;
  RunningGame.reset();
  const std::optional<GameProgress> progress = SuspendedGame;
  SuspendedGame.reset();
  Result<std::unique_ptr<Game>> game = Game::Create(Host, progress);
  if (!game) {
    StopWithError(game.error().message);
    return;
  }
  RunningGame = std::move(*game);
}

void EnterOptions() {
  ShowSprite(MenuBackSprite);
  ShowWidget(DisplayToggle);
  ShowWidget(SoundToggle);
  ShowWidget(MusicToggle);
  ShowWidget(CountryEdit);
  ShowWidget(BossKeyBox);
  ShowWidget(TextButtons[6]);
}

void EnterHiScore() {
  ShowSprite(MenuBackSprite);
  ShowSprite(HiScoreSprite);
  ShowWidget(TextButtons[7]);
  ShowWidget(ClearTableButton);
  ShowWidget(WorldScoresButton);
  const auto unsent = UnsentRows();
  if (std::find(unsent.begin(), unsent.end(), true) != unsent.end()) ShowWidget(TextButtons[10]);
}

// A help page: its picture, Back, and Prev/Next leading to the pages around it
// (0: none).
void EnterHelpPage(SpriteRef picture, int8_t prev, int8_t next) {
  ShowSprite(MenuBackSprite);
  ShowSprite(picture);
  ShowWidget(TextButtons[7]);
  if (prev) {
    SetAction(TextButtons[12], prev);
    ShowWidget(TextButtons[12]);
  }
  if (next) {
    SetAction(TextButtons[13], next);
    ShowWidget(TextButtons[13]);
  }
}

void EnterClearScores() {
  ShowSprite(MenuBackSprite);
  ShowSprite(HiScoreSprite);
  Ask("Do you want to clear", "the High Score Table?", ColourGreen, false, [](bool yes) {
    if (CurrentScreen != ScreenClearScores) return;  // left meanwhile (see AskExit)
    if (yes) {
      ResetHighScores();
      ForgetUnsentScores();
    }
    SwitchScreen(ScreenHiScore);
  });
}

void EnterSendScore() {
  ShowSprite(MenuBackSprite);
  ShowSprite(HiScoreSprite);
  AskToSendChosen();
}

void EnterExitAsk() {
  ShowSprite(MenuBackSprite);
  AskExit(false);
}

void EnterQuit() {
  iExit();
  SaveSettingsOrTell();
}

bool GameFrame() {
  if (RunningGame) RunningGame->RunFrame();
  // A game asking a question is checked when it is answered.
  if (!QuestionOpen()) CloseEndedGame();
  return false;
}

bool FadeOutFrame() {
  if (FadeLevel >= 1.0f) RunCommand(CommandQuit);
  iFloatTendTo(&FadeLevel, 1.1f, 1.0f);
  if (MenuBackSprite) iSpriteColorSet(MenuBackSprite, 1, 1, 1, 1.0f - FadeLevel);
  return false;
}

bool FadeInFrame();

bool OptionsFrame() {
  PrintTitle("OPTIONS", 1.0f, 7.7f);
  const struct {
    const char* text;
    float y;
  } labels[] = {{"Display:", 4.3f},
                {"Sound:", 2.0f},
                {"Music:", -0.4f},
                {"Your country:", -2.5f},
                {"Boss Key:", -4.7f}};
  for (const auto& label : labels) {
    PrintText(label.text, AlignLeft, false, -10.5f, label.y, 1, 1, -0.3f, ColourGreen);
  }
  return true;
}

bool HiScoreFrame() {
  DrawHighScoreTable();
  DrawUnsentMarks();
  PrintTitle("HIGH SCORE", -1.5f, 7.9f);
  // A click on a row marked as not sent offers to send it.
  if (iMouseButtonClick(0)) {
    const int row = UnsentRowAt(iMouseX() * 32.0f - 16.0f, 12.0f - iMouseY() * 24.0f);
    if (row >= 0) {
      ChooseRowToSend(row);
      SwitchScreen(ScreenSendScore);
      return false;
    }
  }
  return true;
}

bool HelpFrame() {
  PrintTitle("HELP", -1.5f, 7.9f);
  return true;
}

// The controls page names the boss key that is set, on the blank key cap its
// picture leaves for it (the cap's centre, 256 by 367 pixels into the picture's
// 740 by 390 pixels, drawn centred at (2.0, -1.5)).
bool HelpControlsFrame() {
  constexpr float CapX = 2.0f - 14.8f + 256.0f / 25.0f;
  constexpr float CapY = -1.5f + 7.8f - 367.0f / 25.0f;
  constexpr iColor CapInk{0.08f, 0.09f, 0.125f, 1.0f};
  PrintText(KeyName(BossKey), AlignCentre, false, CapX, CapY, 0.5f, 0.5f, -0.1f, CapInk);
  return HelpFrame();
}

void EscapeGame() {
  if (!RunningGame) {
    SwitchScreen(ScreenMenu);  // no game to leave: nothing else would
  } else {
    RunningGame->Escape();  // ends a pause, or asks the game's own exit question
  }
}

void ToMenu() { SwitchScreen(ScreenMenu); }

// One entry per screen value. `frame` returns false when the screen's widgets
// do not run (none: they run); `escape` is the Escape key's work (none: the
// key does nothing); a fade in ends on the screen it came from when that is
// `resting`, otherwise on the menu.
struct ScreenEntry {
  int8_t screen;
  void (*enter)();
  bool (*frame)();
  void (*escape)();
  bool resting;
};

const ScreenEntry Screens[] = {
    {ScreenFadeOut, [] { StartFade(false); }, FadeOutFrame, [] { RunCommand(CommandQuit); }, false},
    {ScreenFadeIn, [] { StartFade(true); }, FadeInFrame, ToMenu, false},
    {ScreenMenu, EnterMenu, nullptr, [] { AskExit(true); }, true},
    {ScreenGame, EnterGame, GameFrame, EscapeGame, true},
    {ScreenOptions, EnterOptions, OptionsFrame, ToMenu, true},
    {ScreenHiScore, EnterHiScore, HiScoreFrame, ToMenu, true},
    {ScreenHelp1,
     [] {
       if (HelpScroller) HelpScroller->Offset = -8.0f;
       EnterHelpPage(SpriteRef(), 0, ScreenHelp2);
     },
     [] {
       if (HelpScroller) HelpScroller->Draw();
       return HelpFrame();
     },
     ToMenu, true},
    {ScreenHelp2, [] { EnterHelpPage(HelpBonusSprite, ScreenHelp1, ScreenHelp3); }, HelpFrame,
     ToMenu, true},
    {ScreenHelp3, [] { EnterHelpPage(HelpCtrlSprite, ScreenHelp2, ScreenHelp4); },
     HelpControlsFrame, ToMenu, true},
    {ScreenHelp4, [] { EnterHelpPage(HelpAboutSprite, ScreenHelp3, 0); }, HelpFrame, ToMenu, true},
    {ScreenClearScores, EnterClearScores, nullptr, [] { SwitchScreen(ScreenHiScore); }, false},
    {ScreenSendScore, EnterSendScore, nullptr, [] { SwitchScreen(ScreenHiScore); }, false},
    {ScreenExitAsk, EnterExitAsk, nullptr, nullptr, false},
    {ScreenRestart, [] { RestartEngine(Windowed); }, nullptr, nullptr, false},
    {ScreenQuit, EnterQuit, nullptr, nullptr, false},
};

// The entry of a screen value; none for a value without a screen (a blank screen).
const ScreenEntry* FindScreen(int8_t screen) {
  for (const ScreenEntry& entry : Screens) {
    if (entry.screen == screen) return &entry;
  }
  return nullptr;
}

bool FadeInFrame() {
  if (FadeLevel >= 1.0f) {
    const ScreenEntry* before = FindScreen(PreviousScreen);
    SwitchScreen(before && before->resting ? PreviousScreen : int8_t{ScreenMenu});
  }
  iFloatTendTo(&FadeLevel, 1.1f, 1.0f);
  if (MenuBackSprite) iSpriteColorSet(MenuBackSprite, 1, 1, 1, FadeLevel);
  return false;
}

}  // namespace

bool ScreenExists(int8_t screen) { return FindScreen(screen) != nullptr; }

void SwitchScreen(int8_t screen) {
  // Everything of the screen before, but the pointer.
  HideAllMenuItems();
  for (SpriteRef sprite : {MenuBackSprite, LoadingSprite, HiScoreSprite, HelpBonusSprite,
                           HelpCtrlSprite, HelpAboutSprite}) {
    if (sprite) iSpriteHide(sprite);
  }
  // A restart asked for while one is under way (a maximise in the frame of a
  // display change) must keep the screen to come back to, or every engine run
  // would restart again.
  if (screen != ScreenRestart || CurrentScreen != ScreenRestart) {
    PreviousScreen = CurrentScreen;
  }
  CurrentScreen = screen;
  if (const ScreenEntry* entry = FindScreen(screen)) entry->enter();
}

bool RunCommand(uint8_t command) {
  switch (command) {
    case CommandRestart:
      SwitchScreen(ScreenRestart);
      return true;
    case CommandMusicChanged:
      // The screen is shown anew, its widgets hidden and shown again, as after
      // any other button.
      SwitchScreen(CurrentScreen);
      UpdateMusic();
      return true;
    case CommandClearTable:
      SwitchScreen(ScreenClearScores);
      return true;
    case CommandWorldScores:
      SwitchScreen(CurrentScreen);
      OpenWithShell(WorldScoresAddress());
      return true;
    case CommandWebsite:
      SwitchScreen(CurrentScreen);
      OpenWithShell(HomePageAddress());
      return true;
    case CommandExitAsk:
      SwitchScreen(ScreenExitAsk);
      return true;
    case CommandQuit:
      SwitchScreen(ScreenQuit);
      return true;
    case CommandSendScore:
      ChooseRowToSend(-1);
      SwitchScreen(ScreenSendScore);
      return true;
    default:
      return false;
  }
}

namespace {

// The boss key, Alt+Tab and Escape.
void GlobalKeys() {
  // Boss key, held down. It acts once per press, and only after a key just
  // chosen in the boss-key box has been released.
  // Boss key 0 ("None") is no key and never fires.
  const bool bossDown = BossKey != 0 && iKeyDown(BossKey) != 0;
  if (bossDown && BossKeyArmed) {
    BossKeyArmed = false;
    if (Windowed == 0) StopEngineToHide();
    ThePlatform().MinimiseApplication();
  }
  if (!bossDown) BossKeyArmed = true;

  // Alt+Tab in full screen; in a window the desktop handles it.
  if ((iKeyDown(KeyRightAlt) || iKeyDown(KeyLeftAlt)) && iKeyClick(KeyTab) && Windowed == 0) {
    StopEngineToHide();
    ThePlatform().MinimiseApplication();
  }

  if (iKeyClick(KeyEscape)) {
    const ScreenEntry* entry = FindScreen(CurrentScreen);
    if (entry && entry->escape) entry->escape();
  }
}

// The game's pointer follows the engine's, away from the view's edges. The
// system pointer is left where the player put it: putting it back on the
// view's 800 x 600 grid every frame would swallow small moves wherever a view
// pixel is not a screen pixel (play keeps it in the window by a grab).
void FollowPointer() {
  const float x = iMouseX();
  const float y = iMouseY();
  if (x > 0.001f && x < 0.99f && y > 0.001f && y < 0.99f) {
    const iVec2 at{x * 32.0f - 16.0f, 12.0f - y * 24.0f};
    if (CursorSprite) iSpriteLocationSet(CursorSprite, &at);
  }
}

// A web page that no browser could open (none installed or none working): the
// player is told its address. Not during a game, whose clock runs on; the
// platform keeps what failed until it is asked.
void TellUnopenedPage() {
  if (CurrentScreen == ScreenGame || QuestionOpen()) return;
  const std::vector<std::string> failed = ThePlatform().FailedOpens();
  if (failed.empty()) return;
  Ask("No web browser could be started. Please open", failed.back(), ColourGreen, false,
      [](bool) {});
}

// The current screen's own work in a frame; false when its widgets do not run.
bool ScreenFrame() {
  const ScreenEntry* entry = FindScreen(CurrentScreen);
  return entry && entry->frame ? entry->frame() : true;
}

}  // namespace

void HandleGlobalKeys() {
  GlobalKeys();
  FollowPointer();
}

void UpdateFrame() {
  iPrintsHide();
  // Each step may open a question: the rest of the frame then waits for its answer.
  GlobalKeys();
  if (QuestionOpen()) return;
  TellUnopenedPage();
  if (QuestionOpen()) return;
  FollowPointer();
  if (!ScreenFrame() || QuestionOpen()) return;
  for (auto& widget : WidgetList) widget->Update();
  if (TDDControl* focused = FocusedWidget()) focused->UpdateFocused();
}

void FormMouseWheelDown() {
  if (RunningGame) RunningGame->StepWeapon(-1);
}

void FormMouseWheelUp() {
  if (RunningGame) RunningGame->StepWeapon(1);
}

void FormKeyUp(int virtualKey) {
  if (CurrentScreen != ScreenGame || !RunningGame) return;
  if (virtualKey < '1' || virtualKey > '5') return;
  const int weapon = virtualKey - '1';
  if (RunningGame->CanChooseWeapon(weapon)) RunningGame->ChangeWeapon(weapon);
}

}  // namespace gh

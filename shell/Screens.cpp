// The screens: loading the shared screen resources, the table of screens (what
// each shows on entry, does in a frame and on Escape), the commands, the global
// keys and the weapon selection.
#include <algorithm>
#include <cmath>
#include <exception>
#include <optional>
#include <string>
#include <variant>

#include "engine/EngineCalls.h"
#include "engine/Keys.h"
#include "engine/ScreenUnits.h"
#include "game/Game.h"
#include "game/GameHost.h"
#include "game/Random.h"
#include "game/Recording.h"
#include "platform/Platform.h"
#include "scores/HighScoreTable.h"
#include "scores/WebScores.h"
#include "settings/Settings.h"
#include "shell/Shell.h"
#include "shell/Watch.h"
#include "ui/WidgetSet.h"
#include "ui/Widgets.h"

namespace gh {

// The shell as the game and the widgets see them.

Shell::Shell() = default;

Shell::~Shell() {
  // The game tells its host as it goes.
  ReplaceGame(nullptr);
}

void Shell::Ask(const std::string& line1, const std::string& line2, const iColor& colour,
                bool nameBox, std::function<void(bool)> then) {
  // The game's frame ends with the program's check for a game that has ended.
  questions_.Ask(line1, line2, colour, nameBox, [this, then = std::move(then)](bool answer) {
    // The answer is part of the game: a playback gives the same one.
    if (recorder_) recorder_->Event({GameEventKind::Answer, static_cast<int8_t>(answer ? 1 : 0)});
    if (then) then(answer);
    CloseEndedGame();
  });
}

bool Shell::QualifiesForHighScores(int32_t score) {
  return ::gh::QualifiesForHighScores(settings_.HighScores, score);
}

Status Shell::EnterHighScore(int32_t score) {
  AddHighScore(settings_.HighScores, TypedName(), score);
  // The player learns now that the result is only in memory, not at exit.
  const Status saved = SaveSettings(settings_);
  unsent_.Remember(TypedName(), score, settings_.Country);
  KeepFinishedRecording(TypedName(), score);
  return saved;
}

void Shell::SendScore(int32_t score, std::function<void(bool)> then) {
  // The game just ended goes with its recording, for the server to verify.
  std::optional<std::string> recording;
  if (const GameRecording* finished = FinishedRecording()) recording = EncodeRecording(*finished);
  unsent_.Send(TypedName(), score, settings_.Country, std::move(recording),
               [this, then = std::move(then)](bool sent) {
                 if (then) then(sent);
                 CloseEndedGame();
               });
}

void Shell::EndGame(bool toHighScores) {
  endedGameScreen_ = toHighScores ? Screen::HighScores : Screen::Menu;
}

void Shell::SetPointerPicture(const char* file) { iSpriteTextureChange(resources_.Cursor, file); }

void Shell::ConfinePointer(bool confine) { ThePlatform().ConfinePointer(confine); }

const GameRecording* Shell::FinishedRecording() const {
  return recorder_ && recorder_->Finished() ? &recorder_->Recording() : nullptr;
}

FrameInput Shell::ReadFrameInput() const {
  // The pointer in whole steps of the view, rounded to the nearest.
  auto step = [](float fraction) {
    const float scaled = fraction * static_cast<float>(PointerRange) + 0.5f;
    if (!(scaled > 0.0f)) return uint16_t{0};
    return static_cast<uint16_t>(scaled >= PointerRange ? PointerRange : static_cast<int>(scaled));
  };
  FrameInput input;
  input.Tick = ThePlatform().TickCount();
  input.PointerX = step(iMouseX());
  input.PointerY = step(iMouseY());
  input.Fire = iMouseButtonDown(0);
  input.Reload = iMouseButtonClick(1);
  input.Pause = iKeyClick(Key::LetterP);
  return input;
}

void Shell::ApplyGameEvent(const GameEvent& event) {
  if (!game_) return;
  if (recorder_) recorder_->Event(event);
  game_->Apply(event);
}

void Shell::Activate(Action action) {
  if (const Command* command = std::get_if<Command>(&action)) {
    RunCommand(*command);
  } else if (const WatchRow* row = std::get_if<WatchRow>(&action)) {
    WatchTableRow(row->Row);
  } else {
    SwitchScreen(std::get<Screen>(action));
  }
}

// A game that has ended is freed after its frame, then its screen follows.
void Shell::CloseEndedGame() {
  if (!endedGameScreen_) return;
  const Screen screen = *endedGameScreen_;
  endedGameScreen_.reset();
  ReplaceGame(nullptr);
  SwitchScreen(screen);
  UpdateMusic();
}

void Shell::ReplaceGame(std::unique_ptr<Game> game) { game_ = std::move(game); }

namespace {

void ShowWidget(Widget* widget) {
  if (widget) widget->Show();
}

void ShowSprite(SpriteRef sprite) {
  if (sprite) iSpriteShow(sprite);
}

void SetAction(Widget* widget, Screen screen) {
  if (widget) widget->Activates = screen;
}

// Our display face is wider than the one the titles' places were chosen for: a
// title that would run past the view's right edge ends a little inside it instead.
void PrintTitle(const char* title, float x, float y) {
  constexpr float kScale = 2, kSpacing = -0.2f, kRightEdge = 16, kMargin = 0.3f;
  const iVec2 scale{kScale, kScale};
  const float width = iPrintWidth(title, &scale, kSpacing, ScreenFont());
  const float left = std::min(x, kRightEdge - kMargin - width);
  PrintText(title, AlignLeft, true, left, y, kScale, kScale, kSpacing, ColourTitle);
}

}  // namespace

// A question's answer is acted on only while the screen that asked is still
// shown: a restart or a window message during the question has moved on. Asked
// by the Escape key, the answer also finishes the asking frame's pointer and
// screen work.
void Shell::AskExit(bool byKey) {
  const Screen asking = currentScreen_;
  questions_.Ask("Exit the game?", "", ColourGreen, false, [this, asking, byKey](bool yes) {
    if (currentScreen_ == asking) SwitchScreen(yes ? Screen::FadeOut : Screen::Menu);
    if (!byKey) return;
    FollowPointer();
    ScreenFrame();
  });
}

namespace {

// The table of ten on the HIGH SCORE screen.
void DrawHighScoreTable(const HighScoreList& table) {
  for (int i = 0; i < 10; ++i) {
    const auto y = static_cast<float>(4.1 - 1.43 * i);
    const iColor& colour = i == 0 ? ColourCaption : ColourScoreRow;
    PrintText(std::to_string(i + 1), AlignCentre, false, -7.5f, y, 0.8f, 0.8f, -0.1f, colour);
    PrintText(table[i].Name, AlignLeft, false, -3.8f, y, 0.8f, 0.8f, -0.1f, colour);
    PrintText(std::to_string(table[i].Score), AlignCentre, false, 7.7f, y, 0.8f, 0.8f, -0.1f,
              colour);
  }
}

}  // namespace

std::string WorldScoresAddress() { return ScorePageAddress(); }

void Shell::SaveSettingsOrTell() {
  if (const Status saved = SaveSettings(settings_); !saved) {
    ThePlatform().ShowError("The settings and high scores could not be saved to \"" +
                            std::string(ConfigFileName) + "\": " + saved.error().message);
  }
}

std::string HomePageAddress() { return GH_HOME_PAGE; }

namespace {

// Makes `picture` a sprite showing `file`; an Error leaves it as it was.
Status MakePicture(SpriteRef& picture, const char* file, bool show, float x, float y) {
  const Result<SpriteRef> made = CreatePicture(file, show, x, y);
  if (!made) return made.error();
  picture = *made;
  return {};
}

}  // namespace

Status Shell::LoadResources() {
  chances_.Seed(ThePlatform().TickCount());
  // Recordings name the data they were played with (none read: 0, which no
  // data written by assetgen has).
  const Result<uint64_t> dataVersion = ReadDataVersion();
  dataVersion_ = dataVersion ? *dataVersion : 0;

  const CameraRef camera = MakeScreenCamera();
  const iVec3 cameraAt{0, 0, -20.7f};
  iCameraLocationSet(camera, &cameraAt);
  SetLightsDepth(PlayingLightsDepth);

  if (Status made = MakePicture(resources_.Loading, LoadingPictureFile, false, 0, 0); !made)
    return made;
  iSpriteRender(resources_.Loading, true);
  SaveNewSettingsFile();

  resources_.Click = iSoundCreate("Data\\Sound\\Click.wav", -1).release();

  const struct {
    SpriteRef& picture;
    const char* file;
    bool show;
    float x, y;
  } pictures[] = {
      {resources_.MenuBack, "Data\\MenuBack.jpg", false, 0, 0},
      {resources_.HelpBonus, "Data\\Help_Bonus.png", false, 0, -1.5f},
      {resources_.HelpAbout, "Data\\Help_About.png", false, 0, 0},
      {resources_.HelpControls, "Data\\Help_CTRL.png", false, 2.0f, -1.5f},
      {resources_.HighScore, "Data\\HiScore.png", false, 0, -1.6f},
      // Placed by the first frame.
      {resources_.Cursor, "Data\\cursor.png", true, iMouseX(), iMouseY()},
  };
  for (const auto& p : pictures) {
    if (Status made = MakePicture(p.picture, p.file, p.show, p.x, p.y); !made) return made;
  }

  // Nothing of the old engine run stays reachable, even when this build fails.
  widgets_.reset();
  Result<std::unique_ptr<WidgetSet>> widgets = WidgetSet::Create(*this, settings_, TypedName());
  if (!widgets) return widgets.error();
  widgets_ = std::move(*widgets);

  // The tunes of an earlier engine run went with that engine; their handles
  // must not reach the new one, which may have given them to other objects.
  resources_.GameMusic = SoundRef();
  resources_.MenuMusic = SoundRef();
  resources_.GameMusic = iSoundOggCreate("Data\\Sound\\Game.ogg", 0, 18000000).release();
  resources_.MenuMusic = iSoundOggCreate("Data\\Sound\\Menu.ogg", 0, 18000000).release();
  UpdateMusic();

  MakeScreenFont("Data\\font\\BancoDi.wid");
  iSpritePrioritySet(resources_.Cursor, 1);
  ThePlatform().HideSystemPointer();

  SwitchScreen(previousScreen_);
  suspendedGame_.reset();  // a game not taken up by now is over
  if (!questions_.IsOpen()) StartWatchFromOptions();
  return {};
}

void Shell::SuspendRunningGame() {
  suspendedGame_.reset();
  if (game_ && !endedGameScreen_) suspendedGame_ = game_->Progress();
}

// ---- what each screen does on entry, in a frame and on Escape ----------------

void Shell::StartFade(bool in) {
  fadeLevel_ = 0;
  if (resources_.Loading) iSpriteHide(resources_.Loading);
  if (resources_.MenuBack) {
    // The first frame of the fade draws the background as the fade begins.
    iSpriteColorSet(resources_.MenuBack, 1, 1, 1, in ? 0.0f : 1.0f);
    iSpriteShow(resources_.MenuBack);
  }
}

void Shell::EnterMenu() {
  ShowSprite(resources_.MenuBack);
  if (!widgets_) return;
  for (Widget* button : {widgets_->StartGame, widgets_->Options, widgets_->HighScores,
                         widgets_->Help, widgets_->VisitWebsite, widgets_->ExitGame})
    ShowWidget(button);
}

void Shell::EnterGame() {
  if (resources_.Loading) iSpriteRender(resources_.Loading, true);
  UpdateMusic();
  endedGameScreen_.reset();
  ReplaceGame(nullptr);
  const std::optional<GameProgress> progress = suspendedGame_;
  suspendedGame_.reset();
  if (progress && recorder_) {
    // The game goes on from its progress on a new scene, as a playback does
    // (a finished recording stays as it was).
    recorder_->Event({GameEventKind::Restart, 0});
  } else {
    recorder_.emplace(chances_.DrawSeed(), dataVersion_);
  }
  Result<std::unique_ptr<Game>> game = Game::Create(*this, recorder_->Recording().Seed, progress);
  if (!game) {
    StopWithMessage(game.error());
    return;
  }
  ReplaceGame(std::move(*game));
}

void Shell::EnterOptions() {
  ShowSprite(resources_.MenuBack);
  if (!widgets_) return;
  ShowWidget(widgets_->DisplayToggle);
  ShowWidget(widgets_->SoundToggle);
  ShowWidget(widgets_->MusicToggle);
  ShowWidget(widgets_->CountryBox);
  ShowWidget(widgets_->BossKeyBox);
  ShowWidget(widgets_->OptionsBack);
}

void Shell::EnterHiScore() {
  ShowSprite(resources_.MenuBack);
  ShowSprite(resources_.HighScore);
  if (!widgets_) return;
  ShowWidget(widgets_->Back);
  ShowWidget(widgets_->ClearTable);
  ShowWidget(widgets_->WorldScores);
  const auto unsent = unsent_.Rows();
  if (std::find(unsent.begin(), unsent.end(), true) != unsent.end()) ShowWidget(widgets_->Send);
  ShowWatchableRows();
}

// A help page: its picture, Back, and Prev/Next leading to the pages around it
// (none: the first or last page).
void Shell::EnterHelpPage(SpriteRef picture, std::optional<Screen> prev,
                          std::optional<Screen> next) {
  ShowSprite(resources_.MenuBack);
  ShowSprite(picture);
  if (!widgets_) return;
  ShowWidget(widgets_->Back);
  if (prev) {
    SetAction(widgets_->Prev, *prev);
    ShowWidget(widgets_->Prev);
  }
  if (next) {
    SetAction(widgets_->Next, *next);
    ShowWidget(widgets_->Next);
  }
}

void Shell::EnterClearScores() {
  ShowSprite(resources_.MenuBack);
  ShowSprite(resources_.HighScore);
  questions_.Ask("Do you want to clear", "the High Score Table?", ColourGreen, false,
                 [this](bool yes) {
                   if (currentScreen_ != Screen::ClearScores)
                     return;  // left meanwhile (see AskExit)
                   if (yes) {
                     settings_.HighScores = FirstStartHighScores();
                     unsent_.Forget();
                     ForgetRecordingsOfClearedTable();
                   }
                   SwitchScreen(Screen::HighScores);
                 });
}

void Shell::EnterSendScore() {
  ShowSprite(resources_.MenuBack);
  ShowSprite(resources_.HighScore);
  unsent_.AskToSendChosen();
}

void Shell::EnterExitAsk() {
  ShowSprite(resources_.MenuBack);
  AskExit(false);
}

void Shell::EnterQuit() {
  iExit();
  SaveSettingsOrTell();
}

bool Shell::GameFrame() {
  if (game_) {
    const FrameInput input = ReadFrameInput();
    if (recorder_) recorder_->Frame(input);
    game_->RunFrame(input);
    // The game has ended where its score is checked against the table.
    if (recorder_ && !recorder_->Finished() && game_->Phase() == GamePhase::ScoreCheck) {
      recorder_->Finish(game_->State().Score, game_->State().Level);
    }
  }
  // A game asking a question is checked when it is answered.
  if (!questions_.IsOpen()) CloseEndedGame();
  return false;
}

bool Shell::FadeOutFrame() {
  if (fadeLevel_ >= 1.0f) RunCommand(Command::Quit);
  iFloatTendTo(&fadeLevel_, 1.1f, 1.0f);
  if (resources_.MenuBack) iSpriteColorSet(resources_.MenuBack, 1, 1, 1, 1.0f - fadeLevel_);
  return false;
}

namespace {

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

}  // namespace

bool Shell::HiScoreFrame() {
  DrawHighScoreTable(settings_.HighScores);
  unsent_.DrawMarks();
  DrawWatchSigns();
  PrintTitle("HIGH SCORE", -1.5f, 7.9f);
  // A click on a row marked as not sent offers to send it; on its rank and
  // sign, a row whose game can be watched is watched (its widget does that).
  if (iMouseButtonClick(0)) {
    const iVec2 pointer = PointerOnPlane();
    const int row = unsent_.RowAt(pointer.x, pointer.y);
    if (row >= 0 && !RowClickWatches(row, pointer.x)) {
      unsent_.ChooseRowToSend(row);
      SwitchScreen(Screen::SendScore);
      return false;
    }
  }
  return true;
}

namespace {

bool HelpFrame() {
  PrintTitle("HELP", -1.5f, 7.9f);
  return true;
}

// The controls page names the boss key that is set, on the blank key cap its
// picture leaves for it (the cap's centre, 256 by 367 pixels into the picture's
// 740 by 390 pixels, drawn centred at (2.0, -1.5)).
bool HelpControlsFrame(uint8_t bossKey) {
  constexpr float CapX = 2.0f - 14.8f + 256.0f / 25.0f;
  constexpr float CapY = -1.5f + 7.8f - 367.0f / 25.0f;
  constexpr iColor CapInk{0.08f, 0.09f, 0.125f, 1.0f};
  PrintText(KeyName(bossKey), AlignCentre, false, CapX, CapY, 0.5f, 0.5f, -0.1f, CapInk);
  return HelpFrame();
}

}  // namespace

void Shell::EscapeGame() {
  if (!game_) {
    SwitchScreen(Screen::Menu);  // no game to leave: nothing else would
  } else {
    ApplyGameEvent({GameEventKind::Escape, 0});  // ends a pause, or asks the game's exit question
  }
}

// One entry per screen value. `frame` returns false when the screen's widgets
// do not run (none: they run); `escape` is the Escape key's work (none: the
// key does nothing); a fade in ends on the screen it came from when that is
// `resting`, otherwise on the menu.
struct Shell::ScreenEntry {
  Screen screen;
  void (*enter)(Shell&);
  bool (*frame)(Shell&);
  void (*escape)(Shell&);
  bool resting;
};

namespace {

void ToMenu(Shell& shell) { shell.SwitchScreen(Screen::Menu); }
void ToHighScores(Shell& shell) { shell.SwitchScreen(Screen::HighScores); }
bool Help(Shell&) { return HelpFrame(); }

}  // namespace

const Shell::ScreenEntry Shell::screens_[] = {
    {Screen::FadeOut, [](Shell& s) { s.StartFade(false); },
     [](Shell& s) { return s.FadeOutFrame(); }, [](Shell& s) { s.RunCommand(Command::Quit); },
     false},
    {Screen::FadeIn, [](Shell& s) { s.StartFade(true); }, [](Shell& s) { return s.FadeInFrame(); },
     ToMenu, false},
    {Screen::Menu, [](Shell& s) { s.EnterMenu(); }, nullptr, [](Shell& s) { s.AskExit(true); },
     true},
    {Screen::Game, [](Shell& s) { s.EnterGame(); }, [](Shell& s) { return s.GameFrame(); },
     [](Shell& s) { s.EscapeGame(); }, true},
    {Screen::Options, [](Shell& s) { s.EnterOptions(); }, [](Shell&) { return OptionsFrame(); },
     ToMenu, true},
    {Screen::HighScores, [](Shell& s) { s.EnterHiScore(); },
     [](Shell& s) { return s.HiScoreFrame(); }, ToMenu, true},
    {Screen::HelpText,
     [](Shell& s) {
       if (s.widgets_) s.widgets_->HelpScroller.Offset = -8.0f;
       s.EnterHelpPage(SpriteRef(), std::nullopt, Screen::HelpBonuses);
     },
     [](Shell& s) {
       if (s.widgets_) s.widgets_->HelpScroller.Draw();
       return HelpFrame();
     },
     ToMenu, true},
    {Screen::HelpBonuses,
     [](Shell& s) {
       s.EnterHelpPage(s.resources_.HelpBonus, Screen::HelpText, Screen::HelpControls);
     },
     Help, ToMenu, true},
    {Screen::HelpControls,
     [](Shell& s) {
       s.EnterHelpPage(s.resources_.HelpControls, Screen::HelpBonuses, Screen::HelpAbout);
     },
     [](Shell& s) { return HelpControlsFrame(s.settings_.BossKey); }, ToMenu, true},
    {Screen::HelpAbout,
     [](Shell& s) { s.EnterHelpPage(s.resources_.HelpAbout, Screen::HelpControls, std::nullopt); },
     Help, ToMenu, true},
    {Screen::ClearScores, [](Shell& s) { s.EnterClearScores(); }, nullptr, ToHighScores, false},
    {Screen::SendScore, [](Shell& s) { s.EnterSendScore(); }, nullptr, ToHighScores, false},
    {Screen::ExitAsk, [](Shell& s) { s.EnterExitAsk(); }, nullptr, nullptr, false},
    {Screen::Restart, [](Shell& s) { s.RestartEngine(s.settings_.Windowed); }, nullptr, nullptr,
     false},
    {Screen::Quit, [](Shell& s) { s.EnterQuit(); }, nullptr, nullptr, false},
    {Screen::Watch, [](Shell& s) { s.EnterWatch(); }, [](Shell& s) { return s.WatchFrame(); },
     [](Shell& s) { s.LeaveWatch(); }, false},
};

// The entry of a screen value; none for a value without a screen (a blank screen).
const Shell::ScreenEntry* Shell::FindScreen(Screen screen) {
  for (const ScreenEntry& entry : screens_) {
    if (entry.screen == screen) return &entry;
  }
  return nullptr;
}

bool Shell::FadeInFrame() {
  if (fadeLevel_ >= 1.0f) {
    const ScreenEntry* before = FindScreen(previousScreen_);
    SwitchScreen(before && before->resting ? previousScreen_ : Screen::Menu);
  }
  iFloatTendTo(&fadeLevel_, 1.1f, 1.0f);
  if (resources_.MenuBack) iSpriteColorSet(resources_.MenuBack, 1, 1, 1, fadeLevel_);
  return false;
}

bool Shell::ScreenExists(Screen screen) { return FindScreen(screen) != nullptr; }

void Shell::SwitchScreen(Screen screen) {
  if (currentScreen_ == Screen::Watch && screen != Screen::Watch)
    EndWatch(screen == Screen::Restart);
  // Everything of the screen before, but the pointer.
  if (widgets_) {
    widgets_->HideAll();
  } else {
    iPrintsHide();
  }
  for (SpriteRef sprite : {resources_.MenuBack, resources_.Loading, resources_.HighScore,
                           resources_.HelpBonus, resources_.HelpControls, resources_.HelpAbout}) {
    if (sprite) iSpriteHide(sprite);
  }
  // A restart asked for while one is under way (a maximise in the frame of a
  // display change) must keep the screen to come back to, or every engine run
  // would restart again.
  if (screen != Screen::Restart || currentScreen_ != Screen::Restart) {
    previousScreen_ = currentScreen_;
  }
  currentScreen_ = screen;
  if (const ScreenEntry* entry = FindScreen(screen)) entry->enter(*this);
}

void Shell::RunCommand(Command command) {
  switch (command) {
    case Command::Restart:
      SwitchScreen(Screen::Restart);
      return;
    case Command::MusicChanged:
      // The screen is shown anew, its widgets hidden and shown again, as after
      // any other button.
      SwitchScreen(currentScreen_);
      UpdateMusic();
      return;
    case Command::ClearTable:
      SwitchScreen(Screen::ClearScores);
      return;
    case Command::WorldScores:
      SwitchScreen(currentScreen_);
      OpenWithShell(WorldScoresAddress());
      return;
    case Command::Website:
      SwitchScreen(currentScreen_);
      OpenWithShell(HomePageAddress());
      return;
    case Command::ExitAsk:
      SwitchScreen(Screen::ExitAsk);
      return;
    case Command::Quit:
      SwitchScreen(Screen::Quit);
      return;
    case Command::SendScore:
      unsent_.ChooseRowToSend(-1);
      SwitchScreen(Screen::SendScore);
      return;
  }
}

// The boss key, Alt+Tab and Escape.
void Shell::GlobalKeys() {
  // Boss key, held down. It acts once per press, and only after a key just
  // chosen in the boss-key box has been released.
  // Boss key 0 ("None") is no key and never fires.
  const Settings& settings = PlayerSettings();
  const bool bossDown = settings.BossKey != 0 && iKeyDown(settings.BossKey) != 0;
  if (bossDown && bossKeyArmed_) {
    bossKeyArmed_ = false;
    if (settings.Windowed == 0) StopEngineToHide();
    ThePlatform().MinimiseApplication();
  }
  if (!bossDown) bossKeyArmed_ = true;

  // Alt+Tab in full screen; in a window the desktop handles it.
  if ((iKeyDown(Key::RightAlt) || iKeyDown(Key::LeftAlt)) && iKeyClick(Key::Tab) &&
      settings.Windowed == 0) {
    StopEngineToHide();
    ThePlatform().MinimiseApplication();
  }

  if (iKeyClick(Key::Escape)) {
    const ScreenEntry* entry = FindScreen(currentScreen_);
    if (entry && entry->escape) entry->escape(*this);
  }
}

// The game's pointer follows the engine's, away from the view's edges. The
// system pointer is left where the player put it: putting it back on the
// view's 800 x 600 grid every frame would swallow small moves wherever a view
// pixel is not a screen pixel (play keeps it in the window by a grab).
void Shell::FollowPointer() {
  // A game being watched shows the pointer where its player had it.
  if (currentScreen_ == Screen::Watch) return;
  const float x = iMouseX();
  const float y = iMouseY();
  if (x > 0.001f && x < 0.99f && y > 0.001f && y < 0.99f) {
    const iVec2 at = ViewToPlane(x, y);
    if (resources_.Cursor) iSpriteLocationSet(resources_.Cursor, &at);
  }
}

// A web page that no browser could open (none installed or none working): the
// player is told its address. Not during a game, whose clock runs on; the
// platform keeps what failed until it is asked.
void Shell::TellUnopenedPage() {
  if (currentScreen_ == Screen::Game || currentScreen_ == Screen::Watch || questions_.IsOpen())
    return;
  const std::vector<std::string> failed = ThePlatform().FailedOpens();
  if (failed.empty()) return;
  questions_.Ask("No web browser could be started. Please open", failed.back(), ColourGreen, false,
                 [](bool) {});
}

// The current screen's own work in a frame; false when its widgets do not run.
bool Shell::ScreenFrame() {
  const ScreenEntry* entry = FindScreen(currentScreen_);
  return entry && entry->frame ? entry->frame(*this) : true;
}

void Shell::HandleGlobalKeys() {
  GlobalKeys();
  FollowPointer();
}

void Shell::UpdateFrame() {
  // A game being watched keeps its texts while none of its frames runs.
  if (currentScreen_ != Screen::Watch) iPrintsHide();
  // Each step may open a question: the rest of the frame then waits for its answer.
  GlobalKeys();
  if (questions_.IsOpen()) return;
  TellUnopenedPage();
  if (questions_.IsOpen()) return;
  FollowPointer();
  if (!ScreenFrame() || questions_.IsOpen()) return;
  if (widgets_) widgets_->List.RunFrame();
}

void Shell::OnMouseWheel(int step) {
  if (currentScreen_ == Screen::Watch) {
    ChangeWatchSpeed(step);
    return;
  }
  if (game_) ApplyGameEvent({GameEventKind::StepWeapon, static_cast<int8_t>(step < 0 ? -1 : 1)});
}

void Shell::OnKeyUp(int virtualKey) {
  if (currentScreen_ != Screen::Game || !game_) return;
  if (virtualKey < '1' || virtualKey > '5') return;
  const int weapon = virtualKey - '1';
  ApplyGameEvent({GameEventKind::ChooseWeapon, static_cast<int8_t>(weapon)});
}

}  // namespace gh

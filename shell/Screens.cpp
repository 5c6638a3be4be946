// The screens: loading the shared screen resources, the screen switcher, each
// frame's texts and widgets, the global keys and the weapon selection.
#include <algorithm>
#include <cmath>
#include <string>

#include "engine/EngineCalls.h"
#include "game/Game.h"
#include "game/Random.h"
#include "scores/WebScores.h"
#include "settings/Settings.h"
#include "shell/Platform.h"
#include "shell/Shell.h"
#include "ui/DXCtrl.h"
#include "ui/Menus.h"
#include "ui/ScreenUnits.h"

namespace gh {

int32_t Camera = 0;
int32_t MainFont = 0;
int32_t ClickSound = 0;
int32_t CursorSprite = 0;
int32_t LoadingSprite = 0;
int32_t MenuBackSprite = 0;
int32_t HelpBonusSprite = 0;
int32_t HelpAboutSprite = 0;
int32_t HelpCtrlSprite = 0;
int32_t HiScoreSprite = 0;
int32_t GameMusic = 0;
int32_t MenuMusic = 0;

namespace {

enum : int32_t {
  KeyEscape = 1,
  KeyTab = 15,
  KeyLeftAlt = 56,
  KeyRightAlt = 184,
};

constexpr float PausedDepth = 10.0f;
constexpr float PlayingDepth = -20.0f;

void ShowWidget(TDDControl* widget) {
  if (widget) widget->Show();
}

void ShowSprite(int32_t sprite) {
  if (sprite) iSpriteShow(sprite);
}

void SetAction(TDDControl* widget, int8_t screen) {
  if (widget) widget->Action = static_cast<uint8_t>(screen);
}

// Screens a player can rest on; the fade-in ends on one of them.
bool IsRestingScreen(int8_t screen) {
  switch (screen) {
    case ScreenMenu:
    case ScreenGame:
    case ScreenOptions:
    case ScreenHiScore:
    case ScreenHelp1:
    case ScreenHelp2:
    case ScreenHelp3:
    case ScreenHelp4:
      return true;
    default:
      return false;
  }
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

// A question's answer is acted on only while the screen that asked is still
// shown: a restart or a window message during the question has moved on.
void AskExit() {
  const int8_t asking = CurrentScreen;
  const bool yes = ModalDialog("Exit the game?", "", ColourGreen, false, 8);
  if (CurrentScreen != asking) return;
  SwitchScreen(yes ? ScreenFadeOut : ScreenMenu);
}

void StepWeapon(int step) {
  if (!Game) return;
  Game->HideWeapon(Game->Weapon);
  int weapon = Game->Weapon;
  // Five steps come back to the weapon in hand: with none loaded, it stays.
  for (int i = 0; i < 5; ++i) {
    weapon = (weapon + step + 5) % 5;
    if (Game->CanChooseWeapon(weapon)) break;
  }
  if (Game->CanChooseWeapon(weapon)) Game->Weapon = static_cast<int8_t>(weapon);
  Game->ShowWeapon(Game->Weapon);
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

  LoadingSprite = CreatePicture("Data\\loading.jpg", false, 0, 0);
  iSpriteRender(LoadingSprite, -1);

  ClickSound = iSoundCreate("Data\\Sound\\Click.wav", -1);

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
  GameMusic = 0;
  MenuMusic = 0;
  GameMusic = iSoundOggCreate("Data\\Sound\\Game.ogg", 0, 18000000);
  MenuMusic = iSoundOggCreate("Data\\Sound\\Menu.ogg", 0, 18000000);
  UpdateMusic();

  MainFont = iFontCreate("Data\\font\\BancoDi.wid", Camera);
  iSpritePrioritySet(CursorSprite, 1);
  ThePlatform().HideSystemPointer();

  SwitchScreen(PreviousScreen);
}

void SwitchScreen(int8_t screen) {
  HideAllMenuItems();
  // A restart asked for while one is under way (a maximise in the frame of a
  // display change) must keep the screen to come back to, or every engine run
  // would restart again.
  if (screen != ScreenRestart || CurrentScreen != ScreenRestart) PreviousScreen = CurrentScreen;
  CurrentScreen = screen;

  switch (screen) {
    case ScreenFadeOut:
    case ScreenFadeIn:
      FadeLevel = 0;
      if (LoadingSprite) iSpriteHide(LoadingSprite);
      if (MenuBackSprite) {
        // The first frame of the fade draws the background as the fade begins.
        iSpriteColorSet(MenuBackSprite, 1, 1, 1, screen == ScreenFadeIn ? 0.0f : 1.0f);
        iSpriteShow(MenuBackSprite);
      }
      break;
    case ScreenMenu:
      ShowSprite(MenuBackSprite);
      for (int slot = 0; slot <= 5; ++slot) ShowWidget(TextButtons[slot]);
      break;
    case ScreenGame:
      if (LoadingSprite) iSpriteRender(LoadingSprite, -1);
      UpdateMusic();
      delete Game;
      Game = nullptr;
      Game = new TGame();
      break;
    case ScreenOptions:
      ShowSprite(MenuBackSprite);
      ShowWidget(DisplayToggle);
      ShowWidget(SoundToggle);
      ShowWidget(MusicToggle);
      ShowWidget(CountryEdit);
      ShowWidget(BossKeyBox);
      ShowWidget(TextButtons[6]);
      break;
    case ScreenRestart:
      RestartEngine(Windowed);
      break;
    case ScreenMusicChanged:
      SwitchScreen(PreviousScreen);
      UpdateMusic();
      break;
    case ScreenHiScore:
      ShowSprite(MenuBackSprite);
      ShowSprite(HiScoreSprite);
      ShowWidget(TextButtons[7]);
      ShowWidget(ClearTableButton);
      ShowWidget(WorldScoresButton);
      break;
    case ScreenClearScores: {
      ShowSprite(MenuBackSprite);
      ShowSprite(HiScoreSprite);
      const bool yes =
          ModalDialog("Do you want to clear", "the High Score Table?", ColourGreen, false, 8);
      if (CurrentScreen != ScreenClearScores) break;  // left meanwhile (see AskExit)
      if (yes) ResetHighScores();
      SwitchScreen(ScreenHiScore);
      break;
    }
    case ScreenWorldScores:
      SwitchScreen(PreviousScreen);
      OpenWithShell(WorldScoresAddress());
      break;
    case ScreenHelp1:
      if (HelpScroller) HelpScroller->Offset = -8.0f;
      ShowSprite(MenuBackSprite);
      ShowWidget(TextButtons[7]);
      SetAction(TextButtons[13], ScreenHelp2);
      ShowWidget(TextButtons[13]);
      break;
    case ScreenHelp2:
      ShowSprite(MenuBackSprite);
      ShowSprite(HelpBonusSprite);
      ShowWidget(TextButtons[7]);
      SetAction(TextButtons[12], ScreenHelp1);
      ShowWidget(TextButtons[12]);
      SetAction(TextButtons[13], ScreenHelp3);
      ShowWidget(TextButtons[13]);
      break;
    case ScreenHelp3:
      ShowSprite(MenuBackSprite);
      ShowSprite(HelpCtrlSprite);
      ShowWidget(TextButtons[7]);
      SetAction(TextButtons[12], ScreenHelp2);
      ShowWidget(TextButtons[12]);
      SetAction(TextButtons[13], ScreenHelp4);
      ShowWidget(TextButtons[13]);
      break;
    case ScreenHelp4:
      ShowSprite(MenuBackSprite);
      ShowSprite(HelpAboutSprite);
      ShowWidget(TextButtons[7]);
      SetAction(TextButtons[12], ScreenHelp3);
      ShowWidget(TextButtons[12]);
      break;
    case ScreenWebsite:
      SwitchScreen(PreviousScreen);
      OpenWithShell(HomePageAddress());
      break;
    case ScreenExitAsk:
      ShowSprite(MenuBackSprite);
      AskExit();
      break;
    case ScreenQuit:
      iExit();
      SaveSettingsOrTell();
      break;
    default:
      break;  // a blank screen
  }
}

void HandleGlobalKeys() {
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
    switch (CurrentScreen) {
      case ScreenMenu:
        AskExit();
        break;
      case ScreenGame:
        if (!Game) {
          SwitchScreen(ScreenMenu);  // no game to leave: nothing else would
        } else if (Game->Phase == 0) {
          if (Paused) {
            TogglePause(PausedDepth, PlayingDepth);
          } else {
            Game->Phase = 2;  // the game's own exit question
          }
        }
        break;
      case ScreenOptions:
      case ScreenHiScore:
      case ScreenHelp1:
      case ScreenHelp2:
      case ScreenHelp3:
      case ScreenHelp4:
      case ScreenFadeIn:
        SwitchScreen(ScreenMenu);
        break;
      case ScreenClearScores:
        SwitchScreen(ScreenHiScore);
        break;
      case ScreenFadeOut:
        SwitchScreen(ScreenQuit);
        break;
      default:
        break;
    }
  }

  // The game's pointer follows the engine's, away from the view's edges, where
  // the system pointer may leave the window.
  const float x = iMouseX();
  const float y = iMouseY();
  if (x > 0.001f && x < 0.99f && y > 0.001f && y < 0.99f) {
    if (ThePlatform().IsApplicationActive()) {
      ThePlatform().SetCursorPos(static_cast<int>(std::lround(x * 800.0f)),
                                 static_cast<int>(std::lround(y * 600.0f)));
    }
    const iVec2 at{x * 32.0f - 16.0f, 12.0f - y * 24.0f};
    if (CursorSprite) iSpriteLocationSet(CursorSprite, &at);
  }
}

void UpdateFrame() {
  WidgetPass pass;
  const uint32_t dialogs = DialogsAnswered;
  iPrintsHide();
  HandleGlobalKeys();

  switch (CurrentScreen) {
    case ScreenGame:
      if (Game) Game->RunFrame();
      return;
    case ScreenFadeOut:
      if (FadeLevel >= 1.0f) SwitchScreen(ScreenQuit);
      iFloatTendTo(&FadeLevel, 1.1f, 1.0f);
      if (MenuBackSprite) iSpriteColorSet(MenuBackSprite, 1, 1, 1, 1.0f - FadeLevel);
      return;
    case ScreenFadeIn:
      if (FadeLevel >= 1.0f) {
        SwitchScreen(IsRestingScreen(PreviousScreen) ? PreviousScreen : int8_t{ScreenMenu});
      }
      iFloatTendTo(&FadeLevel, 1.1f, 1.0f);
      if (MenuBackSprite) iSpriteColorSet(MenuBackSprite, 1, 1, 1, FadeLevel);
      return;
    case ScreenOptions: {
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
      break;
    }
    case ScreenHiScore:
      DrawHighScoreTable();
      PrintTitle("HIGH SCORE", -1.5f, 7.9f);
      break;
    case ScreenHelp1:
      if (HelpScroller) HelpScroller->Draw();
      PrintTitle("HELP", -1.5f, 7.9f);
      break;
    case ScreenHelp2:
    case ScreenHelp3:
    case ScreenHelp4:
      PrintTitle("HELP", -1.5f, 7.9f);
      break;
    default:
      break;
  }

  // A question answered in this frame has used its input.
  if (DialogsAnswered != dialogs) return;
  const uint32_t generation = WidgetGeneration;
  for (size_t i = 0; i < WidgetList.size(); ++i) {
    WidgetList[i]->Update();
    if (generation != WidgetGeneration || DialogsAnswered != dialogs) return;
  }
  if (TDDControl* focused = FocusedWidget()) focused->UpdateFocused();
}

void FormMouseWheelDown() { StepWeapon(-1); }

void FormMouseWheelUp() { StepWeapon(1); }

void FormKeyUp(int virtualKey) {
  if (CurrentScreen != ScreenGame || !Game) return;
  if (virtualKey < '1' || virtualKey > '5') return;
  const int weapon = virtualKey - '1';
  if (Game->CanChooseWeapon(weapon)) Game->ChangeWeapon(weapon);
}

}  // namespace gh

#include "ui/WidgetSet.h"

#include "engine/EngineCalls.h"
#include "engine/ScreenUnits.h"
#include "settings/Settings.h"
#include "ui/UiHost.h"

namespace gh {

std::array<TDDButtonText*, 14> TextButtons{};
TDDButton* ClearTableButton = nullptr;
TDDButton* WorldScoresButton = nullptr;
TDDButtonToggle* DisplayToggle = nullptr;
TDDButtonToggle* SoundToggle = nullptr;
TDDButtonToggle* MusicToggle = nullptr;
TDDEdit* CountryEdit = nullptr;
TDDEdit* NameEdit = nullptr;
TDDBossKey* BossKeyBox = nullptr;
SpriteRef MessagePanel;
std::unique_ptr<TDDScrollText> HelpScroller;

void BuildMenus() {
  // Forget the earlier set first: if a file is missing below, nothing of the
  // old engine run is left reachable.
  NewWidgetSet();
  TextButtons.fill(nullptr);
  ClearTableButton = WorldScoresButton = nullptr;
  DisplayToggle = SoundToggle = MusicToggle = nullptr;
  CountryEdit = NameEdit = nullptr;
  BossKeyBox = nullptr;
  MessagePanel = SpriteRef();
  HelpScroller.reset();

  auto text = [](int slot, const char* caption, const char* image, uint8_t action, float left,
                 float bottom) {
    TextButtons[slot] = NewWidget<TDDButtonText>(caption, image, action, left, bottom);
  };
  text(0, "Start Game", "b1", ScreenGame, -6.0f, 3.3f);
  text(1, "Options", "b1", ScreenOptions, -6.0f, 1.0f);
  text(2, "High Score", "b1", ScreenHiScore, -6.0f, -1.3f);
  text(3, "Help", "b1", ScreenHelp1, -6.0f, -3.6f);
  text(4, "Visit Website", "b1", CommandWebsite, -6.0f, -5.9f);
  text(5, "Exit Game", "b1", CommandExitAsk, -6.0f, -8.2f);
  text(6, "Back", "b2", ScreenMenu, -2.8f, -9.2f);
  text(7, "Back", "b2", ScreenMenu, -4.2f, -12.0f);
  text(12, "Prev", "b5", ScreenHelp1, 4.0f, -12.0f);
  text(13, "Next", "b5", ScreenHelp2, 9.6f, -12.0f);

  ClearTableButton = NewWidget<TDDButton>("b3", CommandClearTable, -16.1f, -2.8f);
  WorldScoresButton = NewWidget<TDDButton>("b4", CommandWorldScores, 10.3f, -2.8f);

  DisplayToggle = NewWidget<TDDButtonToggle>("Opt1", 160, CommandRestart, -5.0f, 3.3f, Windowed);
  SoundToggle = NewWidget<TDDButtonToggle>("Opt2", 75, ScreenOptions, -6.0f, 1.1f, SoundOn);
  MusicToggle = NewWidget<TDDButtonToggle>("Opt2", 75, CommandMusicChanged, -6.0f, -1.3f, MusicOn);

  CountryEdit = NewWidget<TDDEdit>(Country, -1.0f, -3.6f);
  BossKeyBox = NewWidget<TDDBossKey>(-4.0f, -5.9f);

  MessagePanel = CreatePicture("Data\\Table.jpg", false, 0, 0);

  NameEdit = NewWidget<TDDEdit>(PlayerName, -8.0f, -2.2f);

  // 254 is the fade-out screen (-2) as a byte.
  text(8, "Yes", "b2", static_cast<uint8_t>(ScreenFadeOut), -8.8f, -5.0f);
  text(9, "No", "b2", ScreenMenu, 0.2f, -5.0f);

  // Last in the keyboard order: shown only when the table holds a result not sent.
  text(10, "Send", "b5", CommandSendScore, 10.5f, -5.9f);

  HelpScroller = std::make_unique<TDDScrollText>();
}

void HideAllMenuItems() {
  iPrintsHide();
  for (auto& widget : WidgetList) {
    if (widget) widget->Hide();
  }
  if (MessagePanel) iSpriteHide(MessagePanel);
}

}  // namespace gh

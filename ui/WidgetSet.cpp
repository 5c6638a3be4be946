#include "ui/WidgetSet.h"

#include "engine/EngineCalls.h"
#include "engine/ScreenUnits.h"

namespace gh {

Result<std::unique_ptr<WidgetSet>> WidgetSet::Create(UiHost& host, Settings& settings,
                                                     std::string& playerName) {
  std::unique_ptr<WidgetSet> set(new WidgetSet(host));
  WidgetList& list = set->List;
  auto text = [&list](const char* caption, const char* image, Action action, float left,
                      float bottom) {
    return list.Add<TextButton>(caption, image, action, left, bottom);
  };
  // Every picture the widgets are made from, checked before the first is made:
  // a missing or damaged one stops the building with its message.
  for (const char* picture :
       {"Data\\b1_0.png", "Data\\b2_0.png", "Data\\b5_0.png", "Data\\b3_0.png", "Data\\b4_0.png",
        "Data\\Opt1_0.png", "Data\\Opt2_0.png", "Data\\Edit.png", "Data\\EditCursor.png",
        "Data\\BossKey.png"}) {
    if (const Result<ImageSize> size = GetImageSize(picture); !size) return size.error();
  }
  set->StartGame = text("Start Game", "b1", Screen::Game, -6.0f, 3.3f);
  set->Options = text("Options", "b1", Screen::Options, -6.0f, 1.0f);
  set->HighScores = text("High Score", "b1", Screen::HighScores, -6.0f, -1.3f);
  set->Help = text("Help", "b1", Screen::HelpText, -6.0f, -3.6f);
  set->VisitWebsite = text("Visit Website", "b1", Command::Website, -6.0f, -5.9f);
  set->ExitGame = text("Exit Game", "b1", Command::ExitAsk, -6.0f, -8.2f);
  set->OptionsBack = text("Back", "b2", Screen::Menu, -2.8f, -9.2f);
  set->Back = text("Back", "b2", Screen::Menu, -4.2f, -12.0f);
  // The help page shown sets where these lead.
  set->Prev = text("Prev", "b5", Screen::HelpText, 4.0f, -12.0f);
  set->Next = text("Next", "b5", Screen::HelpBonuses, 9.6f, -12.0f);

  set->ClearTable = list.Add<PictureButton>("b3", Command::ClearTable, -16.1f, -2.8f);
  set->WorldScores = list.Add<PictureButton>("b4", Command::WorldScores, 10.3f, -2.8f);

  set->DisplayToggle =
      list.Add<ToggleButton>("Opt1", 160, Command::Restart, -5.0f, 3.3f, settings.Windowed);
  set->SoundToggle =
      list.Add<ToggleButton>("Opt2", 75, Screen::Options, -6.0f, 1.1f, settings.SoundOn);
  set->MusicToggle =
      list.Add<ToggleButton>("Opt2", 75, Command::MusicChanged, -6.0f, -1.3f, settings.MusicOn);

  set->CountryBox = list.Add<EditBox>(settings.Country, -1.0f, -3.6f);
  set->BossKeyBox = list.Add<KeyCaptureBox>(settings.BossKey, -4.0f, -5.9f);

  const Result<SpriteRef> panel = CreatePicture("Data\\Table.jpg", false, 0, 0);
  if (!panel) return panel.error();
  set->MessagePanel = *panel;

  set->NameBox = list.Add<EditBox>(playerName, -8.0f, -2.2f);
  set->Yes = text("Yes", "b2", Screen::FadeOut, -8.8f, -5.0f);
  set->No = text("No", "b2", Screen::Menu, 0.2f, -5.0f);

  // Last in the keyboard order.
  set->Send = text("Send", "b5", Command::SendScore, 10.5f, -5.9f);
  for (int row = 0; row < 10; ++row) {
    set->TableRows[static_cast<size_t>(row)] =
        list.Add<RowButton>(WatchRow{row}, TableRowLeft, TableRowY(row) - TableRowHeight / 2,
                            TableRowWidth, TableRowHeight);
  }

  auto lines = ReadHelpLines("Data\\Help.txt");
  if (!lines) return lines.error();
  set->HelpScroller = ScrollingText(std::move(*lines));
  return set;
}

void WidgetSet::HideAll() {
  iPrintsHide();
  List.HideAll();
  if (MessagePanel) iSpriteHide(MessagePanel);
}

}  // namespace gh

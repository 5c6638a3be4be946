// The game's fixed widget set: the main menu, Options, HIGH SCORE, the help
// pages and the question box. Each engine run builds its own; the order of
// creation is the keyboard order.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/EngineHandles.h"
#include "platform/Result.h"
#include "settings/Settings.h"
#include "ui/UiHost.h"
#include "ui/Widgets.h"

namespace gh {

// Where the HIGH SCORE screen's table shows its rows (0 the best): the row's
// centre line, and the bar each row lies on.
inline float TableRowY(int row) { return static_cast<float>(4.1 - 1.43 * row); }
inline constexpr float TableRowLeft = -9.5f;
inline constexpr float TableRowWidth = 19.0f;
inline constexpr float TableRowHeight = 1.3f;

class WidgetSet {
 public:
  // Builds every widget, the question box's picture and the help text. A
  // missing or damaged file stops it with the file's error. The Options
  // screen's widgets change `settings`; `playerName` is the text of the
  // question box's name box.
  static Result<std::unique_ptr<WidgetSet>> Create(UiHost& host, Settings& settings,
                                                   std::string& playerName);
  WidgetSet(const WidgetSet&) = delete;
  WidgetSet& operator=(const WidgetSet&) = delete;

  // Hides all prints, every widget and the question box's picture.
  void HideAll();

  // Every widget below, in keyboard order, and the focus.
  WidgetList List;

  // The main menu.
  TextButton* StartGame = nullptr;
  TextButton* Options = nullptr;
  TextButton* HighScores = nullptr;
  TextButton* Help = nullptr;
  TextButton* VisitWebsite = nullptr;
  TextButton* ExitGame = nullptr;
  // Options.
  TextButton* OptionsBack = nullptr;
  ToggleButton* DisplayToggle = nullptr;
  ToggleButton* SoundToggle = nullptr;
  ToggleButton* MusicToggle = nullptr;
  EditBox* CountryBox = nullptr;
  KeyCaptureBox* BossKeyBox = nullptr;
  // HIGH SCORE and the help pages. Prev and Next lead to the pages around the
  // one shown; "Send" is shown only while the table holds a result the score
  // server has not taken.
  TextButton* Back = nullptr;
  TextButton* Prev = nullptr;
  TextButton* Next = nullptr;
  PictureButton* ClearTable = nullptr;
  PictureButton* WorldScores = nullptr;
  TextButton* Send = nullptr;
  // The table's rows, best first: shown on the rows whose game can be watched.
  std::array<RowButton*, 10> TableRows{};
  ScrollingText HelpScroller;
  // The question box: its background picture, its name box and its answers.
  SpriteRef MessagePanel;
  EditBox* NameBox = nullptr;
  TextButton* Yes = nullptr;
  TextButton* No = nullptr;

 private:
  explicit WidgetSet(UiHost& host) : List(host) {}
};

}  // namespace gh

// What the widgets ask of the program around them, and what their actions
// name. The program implements UiHost and hands it to every widget it builds.
#pragma once
#include <cstdint>
#include <variant>

namespace gh {

// The screens the program shows: the screen shown (CurrentScreen) and a
// widget's action that leads to it. The program keeps one entry per value in
// its screen table.
enum class Screen : int8_t {
  FadeOut,  // the menu's background fades out, then the program ends
  FadeIn,   // the menu's background fades in (the first screen of a start)
  Menu,
  Game,
  Options,
  HighScores,
  HelpText,      // the help pages: the scrolling help text,
  HelpBonuses,   // the bonus boxes,
  HelpControls,  // the controls (with the boss key set),
  HelpAbout,     // and the game's credits
  // The rest are states the program passes through, entered by commands
  // only. The table under the question whether to clear it, and the menu's
  // background under the exit question: a restart of the engine while such a
  // question is open comes back to it and asks again.
  ClearScores,
  // The table under the question whether to send one of its results that the
  // score server has not taken, and under the sending.
  SendScore,
  ExitAsk,
  // The engine is stopping to start again (a new display setting); the
  // screen to come back to is PreviousScreen.
  Restart,
  // The engine is stopping for good: the window closes after its run.
  Quit,
  // A recorded game plays in the game's view (from the table, or a file named
  // at start); Escape or its end leaves it.
  Watch,
};

// Actions that are not a screen to show.
enum class Command : uint8_t {
  Restart,       // restart the engine with the display setting
  MusicChanged,  // start or stop the music as the setting says
  ClearTable,    // ask whether to clear the high-score table
  WorldScores,   // open the world scores page
  Website,       // open the game's home page
  ExitAsk,       // ask whether to leave the game
  Quit,          // stop the engine and close the window
  SendScore,     // offer to send a result the server has not taken
};

// A row of the HIGH SCORE table (0 the best): its recorded game is watched.
struct WatchRow {
  int Row = 0;
  bool operator==(const WatchRow&) const = default;
};

// What activating a widget does: show a screen, run a command or watch a
// table row's game.
using Action = std::variant<Screen, Command, WatchRow>;

class UiHost {
 public:
  virtual ~UiHost() = default;
  // A widget was activated.
  virtual void Activate(Action action) = 0;
  // The click of a widget taking the focus, heard when sounds are on.
  virtual void PlayClick() = 0;
  // The boss-key box has just captured a new boss key: the key is down now,
  // and acts only after it has been released once, so that choosing a key
  // does not hide the game at once.
  virtual void BossKeyCaptured() = 0;
};

}  // namespace gh

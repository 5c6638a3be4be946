// Results the score server has not taken: the list beside "Config.cfg", their
// marks on the HIGH SCORE table, and sending one of them from there through
// the same questions as at the end of a game.
#include "shell/Sending.h"

#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "engine/EngineCalls.h"
#include "engine/ScreenUnits.h"
#include "scores/UnsentScores.h"
#include "settings/Settings.h"
#include "shell/Shell.h"
#include "ui/Widgets.h"

namespace gh {

namespace {

constexpr iColor Red{1.0f, 0.0f, 0.0f, 1.0f};

// The table's rows, as its screen prints them.
constexpr float RowScale = 0.8f;
float RowY(int row) { return static_cast<float>(4.1 - 1.43 * row); }
constexpr float TableLeft = -9.8f;
constexpr float TableRight = 9.8f;
constexpr float MarkX = 8.9f;  // after the score, inside the table's frame

}  // namespace

UnsentScores& UnsentResults::List() {
  if (!loaded_) {
    list_.Load();
    loaded_ = true;
  }
  return list_;
}

void UnsentResults::Save() {
  // Without the results that have left the table, unless the table in memory
  // is not the stored one (Config.cfg could not be read whole): then nothing
  // is dropped.
  if (shell_.TableIsStored()) list_.KeepOnly(shell_.PlayerSettings().HighScores);
  if (const Status saved = list_.Save(); !saved)
    std::fprintf(stderr, "Gravelhorn 2: %s\n", saved.error().message.c_str());
}

std::optional<UnsentScore> UnsentResults::EntryOfRow(int row) {
  UnsentScores& list = List();
  const auto rows = list.Rows(shell_.PlayerSettings().HighScores);
  if (row >= 0 && row < 10) {
    if (rows[row] >= 0) return list.Entries()[static_cast<size_t>(rows[row])];
    return std::nullopt;
  }
  for (const int i : rows) {
    if (i >= 0) return list.Entries()[static_cast<size_t>(i)];
  }
  return std::nullopt;
}

// Each answer acts only while the table's send is still what is shown: a
// restart of the engine meanwhile comes back to the question and asks again.
void UnsentResults::SendFromTable(const UnsentScore& entry) {
  // The entry's game goes up with it, when the table still keeps one.
  Send(entry.name, entry.score, entry.country, shell_.KeptRecording(entry.name, entry.score),
       [this, entry](bool sent) {
         if (shell_.CurrentScreen() != Screen::SendScore) return;
         if (sent) {
           shell_.SwitchScreen(Screen::HighScores);
           return;
         }
         shell_.Questions().Ask("Cant conect!!!", "Repeat again?", Red, false,
                                [this, entry](bool again) {
                                  if (shell_.CurrentScreen() != Screen::SendScore) return;
                                  if (again) {
                                    SendFromTable(entry);
                                  } else {
                                    shell_.SwitchScreen(Screen::HighScores);
                                  }
                                });
       });
}

void UnsentResults::Remember(const std::string& name, int32_t score, const std::string& country) {
  List().Add(UnsentScore{name, score, country});
  Save();
}

void UnsentResults::Send(const std::string& name, int32_t score, const std::string& country,
                         std::optional<std::string> recording, std::function<void(bool)> then) {
  shell_.Questions().SendShowingProgress(
      name, score, country, std::move(recording),
      [this, entry = UnsentScore{name, score, country}, then = std::move(then)](bool sent) {
        if (sent && List().Remove(entry)) Save();
        if (then) then(sent);
      });
}

std::array<bool, 10> UnsentResults::Rows() {
  std::array<bool, 10> marked{};
  const auto rows = List().Rows(shell_.PlayerSettings().HighScores);
  for (size_t i = 0; i < rows.size(); ++i) marked[i] = rows[i] >= 0;
  return marked;
}

void UnsentResults::Forget() {
  UnsentScores& list = List();
  if (list.Entries().empty()) return;
  list.Clear();
  Save();
}

void UnsentResults::DrawMarks() {
  const auto marked = Rows();
  bool any = false;
  for (int row = 0; row < 10; ++row) {
    if (!marked[row]) continue;
    any = true;
    const iColor& colour = row == 0 ? ColourCaption : ColourScoreRow;
    PrintText("*", AlignLeft, false, MarkX, RowY(row), RowScale, RowScale, -0.1f, colour);
  }
  if (any)
    PrintText("* not sent", AlignCentre, false, 13.1f, -6.9f, 0.5f, 0.5f, -0.1f, ColourCaption);
}

int UnsentResults::RowAt(float x, float y) {
  if (x < TableLeft || x > TableRight) return -1;
  const auto marked = Rows();
  for (int row = 0; row < 10; ++row) {
    if (marked[row] && y > RowY(row) - 0.7f && y < RowY(row) + 0.7f) return row;
  }
  return -1;
}

void UnsentResults::ChooseRowToSend(int row) { chosen_ = EntryOfRow(row); }

void UnsentResults::AskToSendChosen() {
  // The choice stands while its result is still not sent (a restart comes
  // back here); otherwise the first marked row is offered.
  if (chosen_) {
    bool stillUnsent = false;
    for (const UnsentScore& e : List().Entries()) stillUnsent = stillUnsent || e == *chosen_;
    if (!stillUnsent) chosen_.reset();
  }
  if (!chosen_) chosen_ = EntryOfRow(-1);
  if (!chosen_) {
    shell_.SwitchScreen(Screen::HighScores);
    return;
  }
  shell_.Questions().Ask("Send the result to", "World's Highscores page?", ColourGreen, false,
                         [this, entry = *chosen_](bool send) {
                           if (shell_.CurrentScreen() != Screen::SendScore) return;
                           if (send) {
                             SendFromTable(entry);
                           } else {
                             shell_.SwitchScreen(Screen::HighScores);
                           }
                         });
}

}  // namespace gh

// Results the score server has not taken: the list beside "Config.cfg", their
// marks on the HIGH SCORE table, and sending one of them from there through
// the same questions as at the end of a game.
#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "engine/EngineCalls.h"
#include "engine/ScreenUnits.h"
#include "scores/UnsentScores.h"
#include "settings/Settings.h"
#include "shell/Shell.h"
#include "ui/WidgetSet.h"

namespace gh {

namespace {

constexpr iColor Red{1.0f, 0.0f, 0.0f, 1.0f};

// The table's rows, as its screen prints them.
constexpr float RowScale = 0.8f;
float RowY(int row) { return static_cast<float>(4.1 - 1.43 * row); }
constexpr float TableLeft = -9.8f;
constexpr float TableRight = 9.8f;
constexpr float MarkX = 8.9f;  // after the score, inside the table's frame

// The list, read from its file at its first use in a run of the program.
class UnsentList {
 public:
  UnsentScores& Get() {
    if (!loaded_) {
      list_.Load();
      loaded_ = true;
    }
    return list_;
  }
  void Unload() {
    list_.Clear();
    loaded_ = false;
  }
  // Writes the list, without the results that have left the table, unless
  // the table in memory is not the stored one (Config.cfg could not be read
  // whole): then nothing is dropped.
  void Save() {
    if (SettingsError().empty()) list_.KeepOnly(HighScores);
    std::string why;
    if (!list_.Save(&why)) std::fprintf(stderr, "Gravelhorn 2: %s\n", why.c_str());
  }

 private:
  UnsentScores list_;
  bool loaded_ = false;
};

UnsentList Unsent;

// The result the table's send question is about.
std::optional<UnsentScore> Chosen;

std::optional<UnsentScore> EntryOfRow(int row) {
  UnsentScores& list = Unsent.Get();
  const auto rows = list.Rows(HighScores);
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
void SendFromTable(const UnsentScore& entry) {
  SendScore(entry.name, entry.score, entry.country, [entry](bool sent) {
    if (CurrentScreen != Screen::SendScore) return;
    if (sent) {
      SwitchScreen(Screen::HighScores);
      return;
    }
    Ask("Cant conect!!!", "Repeat again?", Red, false, [entry](bool again) {
      if (CurrentScreen != Screen::SendScore) return;
      if (again) {
        SendFromTable(entry);
      } else {
        SwitchScreen(Screen::HighScores);
      }
    });
  });
}

}  // namespace

void RememberUnsentScore(const std::string& name, int32_t score, const std::string& country) {
  Unsent.Get().Add(UnsentScore{name, score, country});
  Unsent.Save();
}

void SendScore(const std::string& name, int32_t score, const std::string& country,
               std::function<void(bool)> then) {
  SendShowingProgress(
      name, score, country,
      [entry = UnsentScore{name, score, country}, then = std::move(then)](bool sent) {
        if (sent && Unsent.Get().Remove(entry)) Unsent.Save();
        if (then) then(sent);
      });
}

std::array<bool, 10> UnsentRows() {
  std::array<bool, 10> marked{};
  const auto rows = Unsent.Get().Rows(HighScores);
  for (size_t i = 0; i < rows.size(); ++i) marked[i] = rows[i] >= 0;
  return marked;
}

void ForgetUnsentScores() {
  UnsentScores& list = Unsent.Get();
  if (list.Entries().empty()) return;
  list.Clear();
  Unsent.Save();
}

void DrawUnsentMarks() {
  const auto marked = UnsentRows();
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

int UnsentRowAt(float x, float y) {
  if (x < TableLeft || x > TableRight) return -1;
  const auto marked = UnsentRows();
  for (int row = 0; row < 10; ++row) {
    if (marked[row] && y > RowY(row) - 0.7f && y < RowY(row) + 0.7f) return row;
  }
  return -1;
}

void ChooseRowToSend(int row) { Chosen = EntryOfRow(row); }

void AskToSendChosen() {
  // The choice stands while its result is still not sent (a restart comes
  // back here); otherwise the first marked row is offered.
  if (Chosen) {
    bool stillUnsent = false;
    for (const UnsentScore& e : Unsent.Get().Entries()) stillUnsent = stillUnsent || e == *Chosen;
    if (!stillUnsent) Chosen.reset();
  }
  if (!Chosen) Chosen = EntryOfRow(-1);
  if (!Chosen) {
    SwitchScreen(Screen::HighScores);
    return;
  }
  Ask("Send the result to", "World's Highscores page?", ColourGreen, false,
      [entry = *Chosen](bool send) {
        if (CurrentScreen != Screen::SendScore) return;
        if (send) {
          SendFromTable(entry);
        } else {
          SwitchScreen(Screen::HighScores);
        }
      });
}

void ResetUnsentScores() {
  Unsent.Unload();
  Chosen.reset();
}

}  // namespace gh

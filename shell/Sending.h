// Results the score server has not taken: the list beside "Config.cfg", their
// marks on the HIGH SCORE table, and sending one of them from there.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "scores/UnsentScores.h"

namespace gh {

class Shell;

// A result just entered into the table counts as not sent, and is marked so on
// the HIGH SCORE table, until a send of it succeeds; one whose row leaves the
// table is forgotten.
class UnsentResults {
 public:
  explicit UnsentResults(Shell& shell) : shell_(shell) {}
  UnsentResults(const UnsentResults&) = delete;
  UnsentResults& operator=(const UnsentResults&) = delete;

  void Remember(const std::string& name, int32_t score, const std::string& country);
  // Sends while frames go on (the question box shows it), and a score the
  // server took is no longer marked. A recording of the game is uploaded after
  // a taken score, for the server to verify.
  void Send(const std::string& name, int32_t score, const std::string& country,
            std::optional<std::string> recording, std::function<void(bool)> then);
  // For each row of the table: whether it is marked as not sent.
  std::array<bool, 10> Rows();
  // The table was cleared: nothing in it is marked.
  void Forget();
  // Marks on the HIGH SCORE table, and the row under the pointer that a click
  // offers to send (-1: none).
  void DrawMarks();
  int RowAt(float x, float y);
  // The table's row the send question is about, chosen before entering
  // Screen::SendScore; -1 takes the first marked row.
  void ChooseRowToSend(int row);
  // The question whether to send the chosen result, on entering Screen::SendScore.
  void AskToSendChosen();

 private:
  // The list, read from its file at its first use in this program.
  UnsentScores& List();
  // Writes the list, without the results that have left the table, unless
  // the table in memory is not the stored one (Config.cfg could not be read
  // whole): then nothing is dropped.
  void Save();
  std::optional<UnsentScore> EntryOfRow(int row);
  void SendFromTable(const UnsentScore& entry);

  Shell& shell_;
  UnsentScores list_;
  bool loaded_ = false;
  // The result the table's send question is about.
  std::optional<UnsentScore> chosen_;
};

}  // namespace gh

// The question box: a yes/no question (with the name box when a name is
// asked for) or a score being sent, over the frozen screen.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/EngineHandles.h"
#include "impact_types.h"
#include "scores/WebScores.h"

namespace gh {

class Shell;
class TextButton;
class EditBox;
class Widget;

class QuestionBox {
 public:
  explicit QuestionBox(Shell& shell) : shell_(shell) {}
  QuestionBox(const QuestionBox&) = delete;
  QuestionBox& operator=(const QuestionBox&) = delete;

  // Opens the question box over the frozen screen. Its frames run in place of
  // the screen's; the frame that answers it calls `then` and then finishes the
  // work of the frame that asked (the asker puts that work into `then`).
  void Ask(const std::string& line1, const std::string& line2, const iColor& colour, bool nameBox,
           std::function<void(bool)> then);
  // Sends a score while frames go on: the box shows "Sending..." over the frozen
  // screen and has no buttons; `then` gets true when the server took the score,
  // false when it did not or the player gave up with Escape.
  void SendShowingProgress(const std::string& name, int32_t score, const std::string& country,
                           std::optional<std::string> recording, std::function<void(bool)> then);
  // The send under way in the box, or none (harnesses wait on it).
  const ScoreSend* SendInProgress() const { return open_ ? open_->send.get() : nullptr; }
  bool IsOpen() const { return open_.has_value(); }
  // One frame of the open question; true when this frame answered it.
  bool Frame();
  // Closes the open question with this answer (the engine stopping answers "No").
  void Answer(bool answer);
  // Closes the open question without acting on it (its asker is gone).
  void Drop();
  // What the player typed in the name box; never stored.
  std::string& TypedName() { return typedName_; }

 private:
  // The open question: its texts, its widgets, and what the asker does with the answer.
  struct Question {
    std::string first;
    std::string second;
    iColor colour{};
    TextButton* yes = nullptr;
    TextButton* no = nullptr;
    EditBox* nameEdit = nullptr;
    SpriteRef panel;
    // The keyboard's scope before the question, given back with the answer.
    std::vector<const Widget*> outerScope;
    std::function<void(bool)> then;
    // While a score is being sent: the box has no buttons, its answer is the
    // send's, and Escape gives up.
    std::unique_ptr<ScoreSend> send;
  };

  // A frame of the box while a score is being sent.
  bool SendingFrame();

  Shell& shell_;
  std::optional<Question> open_;
  std::string typedName_;
};

}  // namespace gh

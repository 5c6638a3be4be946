// The question box: its frames, its answers, and the send it shows.
#include "shell/QuestionBox.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "engine/EngineCalls.h"
#include "engine/Keys.h"
#include "engine/ScreenUnits.h"
#include "scores/WebScores.h"
#include "settings/Settings.h"
#include "shell/Shell.h"
#include "ui/WidgetSet.h"
#include "ui/Widgets.h"

namespace gh {

namespace {

// The widest a line may be: the question box's panel, 480 pixels, less a margin.
constexpr float LineRoom = 18.0f;

// A line of the question, centred; a line too long for the panel (a web
// address) is printed smaller until it fits.
void PrintLine(const std::string& text, float y, const iColor& colour) {
  if (text.empty()) return;
  const iVec2 unit{1.0f, 1.0f};
  const float width = iPrintWidth(text.c_str(), &unit, -0.2f, ScreenFont());
  const float scale = width > LineRoom ? LineRoom / width : 1.0f;
  PrintText(text, AlignCentre, false, 0, y, scale, scale, -0.2f * scale, colour);
}

}  // namespace

void QuestionBox::Ask(const std::string& line1, const std::string& line2, const iColor& colour,
                      bool nameBox, std::function<void(bool)> then) {
  WidgetSet* const widgets = shell_.Widgets();
  if (!widgets) {
    if (then) then(false);
    return;
  }
  TextButton* const yes = widgets->Yes;
  TextButton* const no = widgets->No;
  std::vector<const Widget*>& scope = widgets->List.FocusScope;
  Question q;
  q.first = line1;
  q.second = line2;
  q.colour = colour;
  q.yes = yes;
  q.no = no;
  q.nameEdit = nameBox ? widgets->NameBox : nullptr;
  q.panel = widgets->MessagePanel;
  q.then = std::move(then);

  // The keyboard stays inside the box while it is open.
  q.outerScope = std::move(scope);
  scope = {yes, no};
  if (q.nameEdit) scope.insert(scope.begin(), q.nameEdit);

  if (q.panel) iSpriteShow(q.panel);
  // Their own activation must not reach the screen switcher.
  yes->Enabled = false;
  no->Enabled = false;
  yes->Show();
  no->Show();
  if (q.nameEdit) {
    // A name is asked for: the keyboard goes to the name box, typing at once,
    // and Enter there answers "Yes". A key meant for the name never throws the
    // score away.
    q.nameEdit->Show();
    q.nameEdit->TakeFocus();
    q.nameEdit->StartEditing();
  } else {
    // The focus and the pointer start on the second button: the safe answer.
    yes->FocusNext();
  }
  open_ = std::move(q);
}

void QuestionBox::SendShowingProgress(const std::string& name, int32_t score,
                                      const std::string& country,
                                      std::optional<std::string> recording,
                                      std::function<void(bool)> then) {
  WidgetSet* const widgets = shell_.Widgets();
  Question q;
  q.first = "Sending...";
  q.second = "Escape cancels";
  q.colour = ColourGreen;
  if (widgets) {
    q.panel = widgets->MessagePanel;
    q.outerScope = widgets->List.FocusScope;
  }
  q.then = std::move(then);
  q.send = std::make_unique<ScoreSend>(name, score, country, std::move(recording));
  if (q.panel) iSpriteShow(q.panel);
  open_ = std::move(q);
}

void QuestionBox::Answer(bool answer) {
  if (!open_) return;
  Question q = std::move(*open_);
  open_.reset();
  q.send.reset();  // a send still under way is given up
  for (TextButton* button : {q.yes, q.no}) {
    if (!button) continue;
    button->Enabled = true;
    button->Hide();
  }
  WidgetSet* const widgets = shell_.Widgets();
  if (widgets) widgets->NameBox->Hide();
  if (q.panel) iSpriteHide(q.panel);
  if (widgets) widgets->List.FocusScope = std::move(q.outerScope);
  if (q.then) q.then(answer);
}

void QuestionBox::Drop() {
  if (!open_) return;
  if (WidgetSet* widgets = shell_.Widgets())
    widgets->List.FocusScope = std::move(open_->outerScope);
  open_.reset();
}

bool QuestionBox::SendingFrame() {
  iPrintsHide();
  PrintText(open_->first, AlignCentre, false, 0, 3.0f, 1, 1, -0.2f, open_->colour);
  PrintText(open_->second, AlignCentre, false, 0, 1.0f, 0.6f, 0.6f, -0.2f, open_->colour);
  const ScoreSend::Result result = open_->send->Poll();
  if (result != ScoreSend::Result::Pending) {
    Answer(result == ScoreSend::Result::Sent);
    return true;
  }
  if (iKeyClick(Key::Escape)) {
    // A score the server took stays sent when its recording's upload is given up.
    open_->send->Cancel();
    Answer(open_->send->Poll() == ScoreSend::Result::Sent);
    return true;
  }
  shell_.HandleGlobalKeys();
  return false;
}

bool QuestionBox::Frame() {
  if (!open_) return false;
  if (open_->send) return SendingFrame();
  // Copies: answering ends the question these belong to.
  TextButton* const yes = open_->yes;
  TextButton* const no = open_->no;
  EditBox* const nameEdit = open_->nameEdit;
  iPrintsHide();
  PrintLine(open_->first, 3.0f, open_->colour);
  PrintLine(open_->second, 1.0f, open_->colour);
  yes->Update();
  no->Update();
  if (nameEdit) nameEdit->Update();
  WidgetSet* const widgets = shell_.Widgets();
  Widget* const focused = widgets ? widgets->List.Focused() : nullptr;
  if (focused) focused->UpdateFocused();

  if (nameEdit && focused == nameEdit && iKeyClick(Key::Enter)) {
    Answer(true);
    return true;
  }
  if (iMouseButtonClick(0) || iKeyClick(Key::Enter) || iKeyClick(Key::Space)) {
    if (iSpritePicked(yes->Sprite)) {
      Answer(true);
      return true;
    }
    if (iSpritePicked(no->Sprite)) {
      Answer(false);
      return true;
    }
  }
  if (iKeyClick(Key::Escape)) {
    Answer(false);
    return true;
  }
  shell_.HandleGlobalKeys();
  return false;
}

}  // namespace gh

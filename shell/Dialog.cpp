// The question box, sound effects and music.
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "engine/EngineCalls.h"
#include "engine/ScreenUnits.h"
#include "scores/WebScores.h"
#include "settings/Settings.h"
#include "shell/Shell.h"
#include "ui/WidgetSet.h"

namespace gh {

namespace {

enum : int32_t { KeyEscape = 1, KeyEnter = 28, KeySpace = 57 };

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

std::optional<Question> Open;

// The widest a line may be: the question box's panel, 480 pixels, less a margin.
constexpr float LineRoom = 18.0f;

// A line of the question, centred; a line too long for the panel (a web
// address) is printed smaller until it fits.
void PrintLine(const std::string& text, float y, const iColor& colour) {
  if (text.empty()) return;
  const iVec2 unit{1.0f, 1.0f};
  const float width = iPrintWidth(text.c_str(), &unit, -0.2f, MainFont);
  const float scale = width > LineRoom ? LineRoom / width : 1.0f;
  PrintText(text, AlignCentre, false, 0, y, scale, scale, -0.2f * scale, colour);
}

}  // namespace

void Ask(const std::string& line1, const std::string& line2, const iColor& colour, bool nameBox,
         std::function<void(bool)> then) {
  WidgetSet* const widgets = MenuWidgets();
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
  Open = std::move(q);
}

void SendShowingProgress(const std::string& name, int32_t score, const std::string& country,
                         std::function<void(bool)> then) {
  WidgetSet* const widgets = MenuWidgets();
  Question q;
  q.first = "Sending...";
  q.second = "Escape cancels";
  q.colour = ColourGreen;
  if (widgets) {
    q.panel = widgets->MessagePanel;
    q.outerScope = widgets->List.FocusScope;
  }
  q.then = std::move(then);
  q.send = std::make_unique<ScoreSend>(name, score, country);
  if (q.panel) iSpriteShow(q.panel);
  Open = std::move(q);
}

const ScoreSend* SendInProgress() { return Open ? Open->send.get() : nullptr; }

bool QuestionOpen() { return Open.has_value(); }

void AnswerQuestion(bool answer) {
  if (!Open) return;
  Question q = std::move(*Open);
  Open.reset();
  q.send.reset();  // a send still under way is given up
  for (TextButton* button : {q.yes, q.no}) {
    if (!button) continue;
    button->Enabled = true;
    button->Hide();
  }
  WidgetSet* const widgets = MenuWidgets();
  if (widgets) widgets->NameBox->Hide();
  if (q.panel) iSpriteHide(q.panel);
  if (widgets) widgets->List.FocusScope = std::move(q.outerScope);
  if (q.then) q.then(answer);
}

void DropQuestion() {
  if (!Open) return;
  if (WidgetSet* widgets = MenuWidgets()) widgets->List.FocusScope = std::move(Open->outerScope);
  Open.reset();
}

namespace {

// A frame of the box while a score is being sent.
bool SendingFrame() {
  iPrintsHide();
  PrintText(Open->first, AlignCentre, false, 0, 3.0f, 1, 1, -0.2f, Open->colour);
  PrintText(Open->second, AlignCentre, false, 0, 1.0f, 0.6f, 0.6f, -0.2f, Open->colour);
  const ScoreSend::Result result = Open->send->Poll();
  if (result != ScoreSend::Result::Pending) {
    AnswerQuestion(result == ScoreSend::Result::Sent);
    return true;
  }
  if (iKeyClick(KeyEscape)) {
    AnswerQuestion(false);
    return true;
  }
  HandleGlobalKeys();
  return false;
}

}  // namespace

bool QuestionFrame() {
  if (!Open) return false;
  if (Open->send) return SendingFrame();
  // Copies: answering ends the question these belong to.
  TextButton* const yes = Open->yes;
  TextButton* const no = Open->no;
  EditBox* const nameEdit = Open->nameEdit;
  iPrintsHide();
  PrintLine(Open->first, 3.0f, Open->colour);
  PrintLine(Open->second, 1.0f, Open->colour);
  yes->Update();
  no->Update();
  if (nameEdit) nameEdit->Update();
  WidgetSet* const widgets = MenuWidgets();
  Widget* const focused = widgets ? widgets->List.Focused() : nullptr;
  if (focused) focused->UpdateFocused();

  if (nameEdit && focused == nameEdit && iKeyClick(KeyEnter)) {
    AnswerQuestion(true);
    return true;
  }
  if (iMouseButtonClick(0) || iKeyClick(KeyEnter) || iKeyClick(KeySpace)) {
    if (iSpritePicked(yes->Sprite)) {
      AnswerQuestion(true);
      return true;
    }
    if (iSpritePicked(no->Sprite)) {
      AnswerQuestion(false);
      return true;
    }
  }
  if (iKeyClick(KeyEscape)) {
    AnswerQuestion(false);
    return true;
  }
  HandleGlobalKeys();
  return false;
}

void PlaySoundFx(SoundRef sound, bool looped, float, float) {
  if (SoundOn && sound) iSoundPlay(sound, looped);
}

void UpdateMusic() {
  if (!MenuMusic || !GameMusic) return;
  iSoundStop(GameMusic, 0);
  iSoundStop(MenuMusic, 0);
  if (!MusicOn) return;
  if (CurrentScreen == Screen::Game) {
    iSoundPlay(GameMusic, true);
  } else {
    iSoundPlayNow(MenuMusic, true);
  }
}

}  // namespace gh

// The question box, sound effects and music.
#include <optional>
#include <string>
#include <utility>

#include "engine/EngineCalls.h"
#include "engine/ScreenUnits.h"
#include "settings/Settings.h"
#include "shell/Shell.h"
#include "ui/DXCtrl.h"
#include "ui/Menus.h"

namespace gh {

namespace {

enum : int32_t { KeyEscape = 1, KeyEnter = 28, KeySpace = 57 };

// The "Yes"/"No" pair of the widget set.
constexpr int QuestionPair = 8;

// The open question: its texts, its widgets, and what the asker does with the answer.
struct Question {
  std::string first;
  std::string second;
  iColor colour{};
  TDDButtonText* yes = nullptr;
  TDDButtonText* no = nullptr;
  TDDEdit* nameEdit = nullptr;
  SpriteRef panel;
  // The keyboard's scope before the question, given back with the answer.
  std::vector<const TDDControl*> outerScope;
  std::function<void(bool)> then;
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
  TDDButtonText* const yes =
      QuestionPair + 1 < static_cast<int>(TextButtons.size()) ? TextButtons[QuestionPair] : nullptr;
  TDDButtonText* const no = yes ? TextButtons[QuestionPair + 1] : nullptr;
  if (!yes || !no) {
    if (then) then(false);
    return;
  }
  Question q;
  q.first = line1;
  q.second = line2;
  q.colour = colour;
  q.yes = yes;
  q.no = no;
  q.nameEdit = nameBox ? NameEdit : nullptr;
  q.panel = MessagePanel;
  q.then = std::move(then);

  // The keyboard stays inside the box while it is open.
  q.outerScope = std::move(FocusScope);
  FocusScope = {yes, no};
  if (q.nameEdit) FocusScope.insert(FocusScope.begin(), q.nameEdit);

  if (q.panel) iSpriteShow(q.panel);
  // Their own activation must not reach the screen switcher.
  yes->Enabled = false;
  no->Enabled = false;
  yes->Show();
  no->Show();
  // The focus and the pointer start on the second button: the safe answer.
  yes->FocusNext();
  if (q.nameEdit) q.nameEdit->Show();
  Open = std::move(q);
}

bool QuestionOpen() { return Open.has_value(); }

void AnswerQuestion(bool answer) {
  if (!Open) return;
  Question q = std::move(*Open);
  Open.reset();
  q.yes->Enabled = true;
  q.no->Enabled = true;
  q.yes->Hide();
  q.no->Hide();
  if (NameEdit) NameEdit->Hide();
  if (q.panel) iSpriteHide(q.panel);
  FocusScope = std::move(q.outerScope);
  if (q.then) q.then(answer);
}

void DropQuestion() {
  if (!Open) return;
  FocusScope = std::move(Open->outerScope);
  Open.reset();
}

bool QuestionFrame() {
  if (!Open) return false;
  // Copies: answering ends the question these belong to.
  TDDButtonText* const yes = Open->yes;
  TDDButtonText* const no = Open->no;
  TDDEdit* const nameEdit = Open->nameEdit;
  iPrintsHide();
  PrintLine(Open->first, 3.0f, Open->colour);
  PrintLine(Open->second, 1.0f, Open->colour);
  yes->Update();
  no->Update();
  if (nameEdit) nameEdit->Update();
  if (TDDControl* focused = FocusedWidget()) focused->UpdateFocused();

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
  if (CurrentScreen == ScreenGame) {
    iSoundPlay(GameMusic, true);
  } else {
    iSoundPlayNow(MenuMusic, true);
  }
}

}  // namespace gh

// The question box, sound effects and music.
#include <string>

#include "engine/EngineCalls.h"
#include "engine/ScreenUnits.h"
#include "settings/Settings.h"
#include "shell/Shell.h"
#include "ui/DXCtrl.h"
#include "ui/Menus.h"

namespace gh {

uint32_t DialogsAnswered = 0;

namespace {

enum : int32_t { KeyEscape = 1, KeyEnter = 28, KeySpace = 57 };

// Keeps the keyboard inside the question box while it is open, and restores
// the scope of an outer box when this one ends.
class ScopedFocus {
 public:
  explicit ScopedFocus(std::vector<const TDDControl*> scope) : saved_(std::move(FocusScope)) {
    FocusScope = std::move(scope);
  }
  ~ScopedFocus() { FocusScope = std::move(saved_); }
  ScopedFocus(const ScopedFocus&) = delete;
  ScopedFocus& operator=(const ScopedFocus&) = delete;

 private:
  std::vector<const TDDControl*> saved_;
};

}  // namespace

bool ModalDialog(const std::string& line1, const std::string& line2, const iColor& colour,
                 bool nameBox, int pairSlot) {
  // Copies: the caller's strings and colour may change while frames run.
  const std::string first = line1;
  const std::string second = line2;
  const iColor textColour = colour;
  bool answer = false;

  if (pairSlot < 0 || pairSlot + 1 >= static_cast<int>(TextButtons.size())) return false;
  TDDButtonText* const yes = TextButtons[pairSlot];
  TDDButtonText* const no = TextButtons[pairSlot + 1];
  if (!yes || !no) return false;
  TDDEdit* const nameEdit = nameBox ? NameEdit : nullptr;
  const int32_t panel = MessagePanel;
  const uint32_t generation = WidgetGeneration;
  WidgetPass pass;

  std::vector<const TDDControl*> scope{yes, no};
  if (nameEdit) scope.insert(scope.begin(), nameEdit);
  ScopedFocus focusScope(std::move(scope));

  if (panel) iSpriteShow(panel);
  // Their own activation must not reach the screen switcher.
  yes->Enabled = false;
  no->Enabled = false;
  yes->Show();
  no->Show();
  // The focus and the pointer start on the second button: the safe answer.
  yes->FocusNext();
  if (nameEdit) nameEdit->Show();

  for (;;) {
    if (i3ImpactIsActive() && i3ImpactIsReady()) {
      i3ImpactMain();
      if (!i3ImpactIsRendering()) break;
      if (!i3ImpactIsSkippingRunPhase()) {
        i3ImpactRunBegin();
        // The box's frames run inside one frame of the screen: clear the last
        // box frame's texts so they do not pile up.
        iPrintsHide();
        if (!first.empty()) {
          PrintText(first, AlignCentre, false, 0, 3.0f, 1, 1, -0.2f, textColour);
        }
        if (!second.empty()) {
          PrintText(second, AlignCentre, false, 0, 1.0f, 1, 1, -0.2f, textColour);
        }
        yes->Update();
        no->Update();
        if (nameEdit) nameEdit->Update();
        if (TDDControl* focused = FocusedWidget()) focused->UpdateFocused();
        if (generation != WidgetGeneration) break;

        if (iMouseButtonClick(0) || iKeyClick(KeyEnter) || iKeyClick(KeySpace)) {
          if (iSpritePicked(yes->Sprite)) {
            answer = true;
            break;
          }
          if (iSpritePicked(no->Sprite)) break;
        }
        if (iKeyClick(KeyEscape)) break;
        HandleGlobalKeys();
        if (generation != WidgetGeneration) break;
        i3ImpactRunEnd();
      }
      if (!i3ImpactIsSkippingRenderPhase()) i3ImpactRender();
    }
    iProcessMessages();
    // A restart while the box was open (a window message) made these widgets stale.
    if (generation != WidgetGeneration) break;
  }

  ++DialogsAnswered;
  if (generation != WidgetGeneration) return false;
  yes->Enabled = true;
  no->Enabled = true;
  yes->Hide();
  no->Hide();
  if (NameEdit) NameEdit->Hide();
  if (panel) iSpriteHide(panel);
  return answer;
}

void PlaySoundFx(int32_t sound, bool looped, float, float) {
  if (SoundOn && sound) iSoundPlay(sound, looped ? -1 : 0);
}

void UpdateMusic() {
  if (MenuMusic == 0 || GameMusic == 0) return;
  iSoundStop(GameMusic, 0);
  iSoundStop(MenuMusic, 0);
  if (!MusicOn) return;
  if (CurrentScreen == ScreenGame) {
    iSoundPlay(GameMusic, -1);
  } else {
    iSoundPlayNow(MenuMusic, -1);
  }
}

}  // namespace gh

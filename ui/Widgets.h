// The widget toolkit: buttons, toggles, the text box, the boss-key box and the
// scrolling help text, each drawn as one engine sprite plus printed text.
//
// Every listed widget sits in WidgetList and shares one FocusIndex. Each frame
// the screen that owns the widgets calls Update on them and then UpdateFocused
// on the focused one; an activated widget hands its Action to the program (UiHost).
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/EngineHandles.h"

namespace gh {

class TDDControl {
 public:
  TDDControl();
  virtual ~TDDControl() = default;
  TDDControl(const TDDControl&) = delete;
  TDDControl& operator=(const TDDControl&) = delete;

  virtual void Update();
  virtual void CheckActivate();
  virtual void UpdateFocused();

  virtual void Show();
  virtual void Hide();
  // Move the focus to the next (previous) shown widget, wrapping, and put the
  // pointer on it (beside a text button's caption). With every widget hidden
  // the focus stays.
  void FocusNext();
  void FocusPrevious();
  // Takes the focus and puts the pointer on this widget, as FocusNext does.
  void TakeFocus();

  // Position in WidgetList, or -1 for a widget outside it.
  int Index() const { return ListIndex; }

  uint8_t Action = 0;
  bool Current = false;
  bool Hidden = true;  // the sprite starts hidden
  bool Enabled = true;
  uint16_t Width = 0, Height = 0;
  // A widget's sprites and textures belong to the engine run that made the
  // widget set: they go when that run ends.
  SpriteRef Sprite;
  float Brightness = 0;

 protected:
  // The navigation part of Update, for the `Current` widget: Down/Right move on,
  // Up/Left move back. `sideways` false leaves Left/Right to the widget.
  void Navigate(bool sideways = true);
  // Screen centre of the sprite.
  void Centre(float& x, float& y) const;

 private:
  friend void RegisterWidget(std::unique_ptr<TDDControl> widget, bool addToList);
  int ListIndex = -1;
};

// Image button: "_0" normal, "_1" highlighted.
class TDDButton : public TDDControl {
 public:
  TDDButton(const std::string& image, uint8_t action, float left, float bottom);
  void Update() override;
  void UpdateFocused() override;

  TextureRef NormalTexture;
  TextureRef HighlightTexture;
};

// Image button with a printed caption.
class TDDButtonText : public TDDControl {
 public:
  TDDButtonText(const std::string& caption, const std::string& image, uint8_t action, float left,
                float bottom);
  void Update() override;
  void UpdateFocused() override;

  TextureRef NormalTexture;
  TextureRef HighlightTexture;
  std::string Caption;
};

// Two-state option bound to a setting byte: the image's left half (and Left)
// means 1, its right half (and Right) means 0.
class TDDButtonToggle : public TDDControl {
 public:
  TDDButtonToggle(const std::string& image, uint16_t splitPixels, uint8_t action, float left,
                  float bottom, uint8_t& value);
  void Update() override;
  void CheckActivate() override;
  void UpdateFocused() override;

  uint8_t* Value;
  float SplitX = 0;
  TextureRef OffTexture;
  TextureRef OnTexture;

 private:
  bool HeldFocus = false;  // was already focused when this frame began
};

// One-line text box bound to a string; typing stops at the printed width.
class TDDEdit : public TDDControl {
 public:
  TDDEdit(std::string& text, float left, float bottom);
  void Update() override;
  void CheckActivate() override;
  void UpdateFocused() override;
  void Hide() override;

  TextureRef BoxTexture;
  TextureRef CaretTexture;
  std::string* Text;
  bool Editing = false;
  bool CaretVisible = false;
  uint32_t LastBlink = 0;
  float TextX = 0, TextY = 0;
  SpriteRef CaretSprite;

  // Editing starts at once: typed letters go into the box from the next frame on.
  void StartEditing();
  // Whether a typed character may enter the text.
  static bool Accepts(int32_t ch);

  // A hard limit behind the width limit, for a font that measures nothing.
  static constexpr size_t MaxLength = 255;

 private:
  bool JustStarted = false;  // editing was started from outside since the last frame
};

// Shows the boss key's name and captures a new key.
class TDDBossKey : public TDDControl {
 public:
  TDDBossKey(float left, float bottom);
  void Update() override;
  void CheckActivate() override;
  void UpdateFocused() override;
  void Hide() override;

  TextureRef BoxTexture;
  bool Capturing = false;
  float TextX = 0, TextY = 0;
};

// The help text: lines scrolling upward, fading toward the top and bottom.
class TDDScrollText {
 public:
  // Reads "Data\Help.txt"; throws std::runtime_error when it cannot be opened.
  TDDScrollText();
  explicit TDDScrollText(std::vector<std::string> lines);
  void Draw();

  // The line index is a byte: longer texts show their first lines.
  static constexpr size_t MaxLines = 255;

  float X = 0.0f;
  float Offset = -4.0f;
  std::vector<std::string> Lines;
};

// The name of a keyboard scan code as the boss-key box shows it ("None" for
// keys without a name).
std::string KeyName(int code);

// Splits a text file's contents into lines (CR LF or LF), at most MaxLines.
std::vector<std::string> SplitHelpLines(const std::string& text);

// ---- the widget list -------------------------------------------------------------
extern std::vector<std::unique_ptr<TDDControl>> WidgetList;
extern uint8_t FocusIndex;

// Puts a constructed widget into WidgetList (or keeps it aside when not listed).
void RegisterWidget(std::unique_ptr<TDDControl> widget, bool addToList = true);
template <typename T, typename... Args>
T* NewWidget(Args&&... args) {
  auto widget = std::make_unique<T>(std::forward<Args>(args)...);
  T* raw = widget.get();
  RegisterWidget(std::move(widget));
  return raw;
}
// Starts a new widget set (each engine run builds its own): the earlier
// widgets go; their engine objects died with the engine that made them.
void NewWidgetSet();

// While a question box is open, keyboard navigation stays among its own
// widgets: FocusNext and FocusPrevious only land on shown widgets listed here
// (all widgets when empty).
extern std::vector<const TDDControl*> FocusScope;

// The widget at FocusIndex, or none.
TDDControl* FocusedWidget();

// Set when the boss-key box captures a key: the boss key then acts only after
// it has been released once, so choosing a key does not hide the game at once.
extern bool BossKeyArmed;

}  // namespace gh

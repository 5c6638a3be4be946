// The widget toolkit: buttons, toggles, the text box, the boss-key box and the
// scrolling help text, each drawn as one engine sprite plus printed text.
//
// The widgets of a set sit in one WidgetList, in keyboard order, and share its
// focus. Each frame the screen that owns the widgets runs the list's frame:
// Update on every widget, then UpdateFocused on the focused one. An activated
// widget hands its action to the program (UiHost).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/EngineHandles.h"
#include "platform/Result.h"
#include "ui/UiHost.h"

namespace gh {

class WidgetList;

class Widget {
 public:
  // Makes the widget's sprite, hidden. A widget is made by WidgetList::Add,
  // which puts it last in the keyboard order.
  Widget(UiHost& host, WidgetList& list);
  virtual ~Widget() = default;
  Widget(const Widget&) = delete;
  Widget& operator=(const Widget&) = delete;

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

  // Position in the keyboard order.
  int Index() const { return index_; }

  Action Activates = Screen::Menu;
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
  // The pointer is over the widget: it takes the focus (the pointer stays).
  void FocusUnderPointer();

  UiHost& host_;
  WidgetList& list_;

 private:
  friend class WidgetList;
  int index_ = 0;
};

// Image button: "_0" normal, "_1" highlighted.
class PictureButton : public Widget {
 public:
  PictureButton(UiHost& host, WidgetList& list, const std::string& image, Action action, float left,
                float bottom);
  void Update() override;
  void UpdateFocused() override;

  TextureRef NormalTexture;
  TextureRef HighlightTexture;
};

// Image button with a printed caption.
class TextButton : public Widget {
 public:
  TextButton(UiHost& host, WidgetList& list, const std::string& caption, const std::string& image,
             Action action, float left, float bottom);
  void Update() override;
  void UpdateFocused() override;

  TextureRef NormalTexture;
  TextureRef HighlightTexture;
  std::string Caption;
};

// A row of a table that can be picked, by the pointer on it or by the
// keyboard: a bar over the row, without a picture, lit while it has the focus.
class RowButton : public Widget {
 public:
  RowButton(UiHost& host, WidgetList& list, Action action, float left, float bottom, float width,
            float height);
  void Update() override;
  void UpdateFocused() override;

  // The bar's colour while it has the focus (invisible otherwise).
  static constexpr float LitAlpha = 0.22f;
};

// Two-state option bound to a setting byte: the image's left half (and Left)
// means 1, its right half (and Right) means 0.
class ToggleButton : public Widget {
 public:
  ToggleButton(UiHost& host, WidgetList& list, const std::string& image, uint16_t splitPixels,
               Action action, float left, float bottom, uint8_t& value);
  void Update() override;
  void CheckActivate() override;
  void UpdateFocused() override;

  uint8_t* Value;
  float SplitX = 0;
  TextureRef OffTexture;
  TextureRef OnTexture;

 private:
  bool heldFocus_ = false;  // was already focused when this frame began
};

// One-line text box bound to a string; typing stops at the printed width.
class EditBox : public Widget {
 public:
  EditBox(UiHost& host, WidgetList& list, std::string& text, float left, float bottom);
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
  bool justStarted_ = false;  // editing was started from outside since the last frame
};

// Shows the boss key's name and captures a new key into the bound byte.
class KeyCaptureBox : public Widget {
 public:
  KeyCaptureBox(UiHost& host, WidgetList& list, uint8_t& key, float left, float bottom);
  void Update() override;
  void CheckActivate() override;
  void UpdateFocused() override;
  void Hide() override;

  TextureRef BoxTexture;
  uint8_t* BoundKey;
  bool Capturing = false;
  float TextX = 0, TextY = 0;
};

// The help text: lines scrolling upward, fading toward the top and bottom.
class ScrollingText {
 public:
  ScrollingText() = default;
  explicit ScrollingText(std::vector<std::string> lines);
  void Draw();

  // The line index is a byte: longer texts show their first lines.
  static constexpr size_t MaxLines = 255;

  float X = 0.0f;
  float Offset = -4.0f;
  std::vector<std::string> Lines;
};

// The widgets of a set in keyboard order, which of them has the focus, and
// where the keyboard may move it.
class WidgetList {
 public:
  explicit WidgetList(UiHost& host) : host_(host) {}
  WidgetList(const WidgetList&) = delete;
  WidgetList& operator=(const WidgetList&) = delete;

  // Makes a widget of type W last in the keyboard order.
  template <typename W, typename... Args>
  W* Add(Args&&... args) {
    auto widget = std::make_unique<W>(host_, *this, std::forward<Args>(args)...);
    W* added = widget.get();
    added->index_ = static_cast<int>(widgets_.size());
    widgets_.push_back(std::move(widget));
    return added;
  }

  int Size() const { return static_cast<int>(widgets_.size()); }
  Widget& operator[](int index) const { return *widgets_[static_cast<size_t>(index)]; }

  // One frame of the widgets: Update on each, then UpdateFocused on the focused one.
  void RunFrame();
  void HideAll();

  int FocusIndex() const { return focus_; }
  // The widget with the focus, or none.
  Widget* Focused() const;
  // Gives the focus to a widget of this list without moving the pointer.
  void SetFocus(const Widget& widget) { focus_ = widget.Index(); }

  // While a question box is open, keyboard navigation stays among its own
  // widgets: FocusNext and FocusPrevious only land on shown widgets listed here
  // (all widgets when empty).
  std::vector<const Widget*> FocusScope;

 private:
  friend class Widget;
  bool CanTakeFocus(int index) const;
  // Moves the focus to `index` and the pointer onto that widget.
  void FocusOn(int index);

  UiHost& host_;
  std::vector<std::unique_ptr<Widget>> widgets_;
  int focus_ = 0;
};

// The name of a keyboard scan code as the boss-key box shows it ("None" for
// keys without a name).
std::string KeyName(int code);

// Splits a text file's contents into lines (CR LF or LF), at most
// ScrollingText::MaxLines.
std::vector<std::string> SplitHelpLines(const std::string& text);
// Reads a help text file ("Data\Help.txt") into its lines.
Result<std::vector<std::string>> ReadHelpLines(const std::string& file);

}  // namespace gh

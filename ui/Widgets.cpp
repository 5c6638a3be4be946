#include "ui/Widgets.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "engine/EngineCalls.h"
#include "engine/Keys.h"
#include "engine/ScreenUnits.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "ui/UiHost.h"

namespace gh {

namespace {

const char* const SpriteModel = "dATA\\sprite.x";

// The set that builds the widgets checks their pictures first (a missing or
// damaged one stops the building with its message); a picture that cannot be
// measured here leaves the widget at size zero.
void MeasureImage(const std::string& file, uint16_t& width, uint16_t& height) {
  const Result<ImageSize> size = GetImageSize(file);
  width = size ? size->width : 0;
  height = size ? size->height : 0;
}

bool Clicked(int32_t key) { return iKeyClick(key); }
bool EnterOrSpace() { return Clicked(Key::Enter) || Clicked(Key::Space); }

void SetScale(SpriteRef sprite, uint16_t width, uint16_t height) {
  const iVec2 scale{PixelsToScale(width), PixelsToScale(height)};
  iSpriteScaleSet(sprite, &scale);
}

void SetLocation(SpriteRef sprite, float x, float y) {
  const iVec2 at{x, y};
  iSpriteLocationSet(sprite, &at);
}

// Places a widget's image with its lower-left corner at (left, bottom).
void PlaceImage(SpriteRef sprite, uint16_t width, uint16_t height, float left, float bottom) {
  SetScale(sprite, width, height);
  SetLocation(sprite, PixelsToUnitsX(width / 2) + left, PixelsToUnitsY(height / 2) + bottom);
}

// A text button's caption: its size, spacing and width as printed.
constexpr iVec2 CaptionScale{0.6f, 0.6f};
constexpr float CaptionSpacing = -0.1f;

float CaptionWidth(const std::string& caption) {
  return iPrintWidth(caption.c_str(), &CaptionScale, CaptionSpacing, ScreenFont());
}

float TextWidth(const std::string& text) {
  const iVec2 scale{1.0f, 1.0f};
  return iPrintWidth(text.c_str(), &scale, -0.3f, ScreenFont());
}

std::string ImageFile(const std::string& image, int look) {
  return "Data\\" + image + "_" + std::to_string(look) + ".png";
}

}  // namespace

// ---- WidgetList -------------------------------------------------------------------

void WidgetList::RunFrame() {
  for (auto& widget : widgets_) widget->Update();
  if (Widget* focused = Focused()) focused->UpdateFocused();
}

void WidgetList::HideAll() {
  for (auto& widget : widgets_) widget->Hide();
}

Widget* WidgetList::Focused() const {
  return focus_ >= 0 && focus_ < Size() ? widgets_[static_cast<size_t>(focus_)].get() : nullptr;
}

// ---- Widget ----------------------------------------------------------------------

Widget::Widget(UiHost& host, WidgetList& list) : host_(host), list_(list) {
  Sprite = iSpriteCreate(SpriteModel, 0).release();
  iSpriteHide(Sprite);
}

void Widget::Show() {
  iSpriteShow(Sprite);
  Hidden = false;
}

void Widget::Hide() {
  iSpriteHide(Sprite);
  Hidden = true;
}

void Widget::Navigate(bool sideways) {
  if (!Current) return;
  // Tab and Shift+Tab move as Down and Up; Alt+Tab belongs to the desktop.
  const bool tab = Clicked(Key::Tab) && !iKeyDown(Key::LeftAlt) && !iKeyDown(Key::RightAlt);
  const bool shift = iKeyDown(Key::LeftShift) || iKeyDown(Key::RightShift);
  if (Clicked(Key::Down) || (sideways && Clicked(Key::Right)) || (tab && !shift)) FocusNext();
  if (Clicked(Key::Up) || (sideways && Clicked(Key::Left)) || (tab && shift)) FocusPrevious();
}

void Widget::Update() {
  iFloatTendTo(&Brightness, 1.0f, 0.3f);
  Navigate();
}

void Widget::UpdateFocused() {
  if (!Current) {
    host_.PlayClick();
    Brightness = 0.4f;
  }
  for (auto& widget : list_.widgets_) widget->Current = false;
  Current = true;
}

void Widget::CheckActivate() {
  if (Enabled && iSpritePicked(Sprite) &&
      (iMouseButtonClick(0) || Clicked(Key::Enter) || Clicked(Key::Space))) {
    host_.Activate(Activates);
  }
}

void Widget::Centre(float& x, float& y) const {
  iVec2 at{0, 0};
  iSpriteLocation(Sprite, &at);
  x = at.x;
  y = at.y;
}

bool WidgetList::CanTakeFocus(int index) const {
  const Widget* widget = widgets_[static_cast<size_t>(index)].get();
  if (widget->Hidden) return false;
  if (FocusScope.empty()) return true;
  for (const Widget* w : FocusScope)
    if (w == widget) return true;
  return false;
}

namespace {

// Where the pointer rests on a widget that takes the focus: on it, so that a
// click or Enter picks it. On a text button it goes to the middle of the bare
// face right of the caption: centred on the caption, the pointer (the aiming
// cross in play) hid the very word the player is asked to read. On a text box
// it goes to the box's right end, where the text reaches only when the box is
// nearly full, a pointer's half width inside the edge so that a small move does
// not leave the box (which ends editing).
iVec2 RestPoint(const Widget& widget) {
  iVec2 at{0, 0};
  iSpriteLocation(widget.Sprite, &at);
  if (const auto* button = dynamic_cast<const TextButton*>(&widget)) {
    const float halfFace = PixelsToUnitsX(button->Width) / 2;
    const float halfCaption = CaptionWidth(button->Caption) / 2;
    if (halfCaption < halfFace) at.x += (halfCaption + halfFace) / 2;
  } else if (dynamic_cast<const RowButton*>(&widget)) {
    // At the row's left end, off the text the row shows.
    constexpr float EndMargin = 0.5f;
    at.x -= std::max(0.0f, PixelsToUnitsX(widget.Width) / 2 - EndMargin);
  } else if (dynamic_cast<const EditBox*>(&widget)) {
    constexpr float EndMargin = 1.0f;
    at.x += std::max(0.0f, PixelsToUnitsX(widget.Width) / 2 - EndMargin);
  }
  return at;
}

}  // namespace

void WidgetList::FocusOn(int index) {
  focus_ = index;
  const iVec2 at = RestPoint(*widgets_[static_cast<size_t>(index)]);
  const iVec2 pointer = PlaneToView(at.x, at.y);
  iMouseReset(&pointer);
}

void Widget::TakeFocus() { list_.FocusOn(index_); }

void Widget::FocusUnderPointer() { list_.focus_ = index_; }

void Widget::FocusNext() {
  const int n = list_.Size();
  if (n == 0) return;
  int i = index_ + 1 >= n ? 0 : index_ + 1;
  for (int tried = 0; tried < n; ++tried, i = (i + 1) % n) {
    if (list_.CanTakeFocus(i)) {
      list_.FocusOn(i);
      return;
    }
  }
  // Every widget hidden: nothing to move to.
}

void Widget::FocusPrevious() {
  const int n = list_.Size();
  if (n == 0) return;
  int i = index_ <= 0 ? n - 1 : index_ - 1;
  for (int tried = 0; tried < n; ++tried, i = (i + n - 1) % n) {
    if (list_.CanTakeFocus(i)) {
      list_.FocusOn(i);
      return;
    }
  }
}

// ---- PictureButton ---------------------------------------------------------------------

PictureButton::PictureButton(UiHost& host, WidgetList& list, const std::string& image,
                             Action action, float left, float bottom)
    : Widget(host, list) {
  NormalTexture = iTextureCreate(ImageFile(image, 0).c_str()).release();
  HighlightTexture = iTextureCreate(ImageFile(image, 1).c_str()).release();
  MeasureImage(ImageFile(image, 0), Width, Height);
  Activates = action;
  iSpriteTextureSet(Sprite, HighlightTexture);
  PlaceImage(Sprite, Width, Height, left, bottom);
}

void PictureButton::Update() {
  Widget::Update();
  if (iSpritePicked(Sprite)) {
    FocusUnderPointer();
  } else {
    iSpriteTextureSet(Sprite, NormalTexture);
    iSpriteColorSet(Sprite, 1, 1, 1, 1);
  }
}

void PictureButton::UpdateFocused() {
  Widget::UpdateFocused();
  iSpriteTextureSet(Sprite, HighlightTexture);
  CheckActivate();
}

// ---- RowButton --------------------------------------------------------------------

RowButton::RowButton(UiHost& host, WidgetList& list, Action action, float left, float bottom,
                     float width, float height)
    : Widget(host, list) {
  Activates = action;
  Width = static_cast<uint16_t>(width / PixelsToUnitsX(1) + 0.5f);
  Height = static_cast<uint16_t>(height / PixelsToUnitsY(1) + 0.5f);
  const iVec2 scale{width / PixelsToUnitsX(1) * PixelsToScale(1),
                    height / PixelsToUnitsY(1) * PixelsToScale(1)};
  iSpriteScaleSet(Sprite, &scale);
  SetLocation(Sprite, left + width / 2, bottom + height / 2);
  iSpriteColorSet(Sprite, 1, 1, 1, 0);
}

void RowButton::Update() {
  if (Hidden) {
    Navigate();  // as a hidden text button: the keyboard never goes dead
    return;
  }
  Widget::Update();
  if (iSpritePicked(Sprite)) {
    FocusUnderPointer();
  } else {
    iSpriteColorSet(Sprite, 1, 1, 1, 0);
  }
}

void RowButton::UpdateFocused() {
  if (Hidden) return;
  Widget::UpdateFocused();
  // Flashes as a text button does when it takes the focus.
  iSpriteColorSet(Sprite, 1.0f, 0.47f * Brightness, 0, LitAlpha);
  CheckActivate();
}

// ---- TextButton -----------------------------------------------------------------

TextButton::TextButton(UiHost& host, WidgetList& list, const std::string& caption,
                       const std::string& image, Action action, float left, float bottom)
    : Widget(host, list), Caption(caption) {
  NormalTexture = iTextureCreate(ImageFile(image, 0).c_str()).release();
  HighlightTexture = iTextureCreate(ImageFile(image, 1).c_str()).release();
  MeasureImage(ImageFile(image, 0), Width, Height);
  Activates = action;
  iSpriteTextureSet(Sprite, NormalTexture);
  PlaceImage(Sprite, Width, Height, left, bottom);
}

void TextButton::Update() {
  if (Hidden) {
    // A hidden button that still holds the focus (the screen changed under it)
    // passes the arrow keys on, so the keyboard never goes dead.
    Navigate();
    return;
  }
  Widget::Update();
  if (iSpritePicked(Sprite)) {
    FocusUnderPointer();
  } else {
    iSpriteTextureSet(Sprite, NormalTexture);
    float x, y;
    Centre(x, y);
    PrintText(Caption, AlignCentre, false, x, y, CaptionScale.x, CaptionScale.y, CaptionSpacing,
              ColourCaption);
  }
  iSpriteColorSet(Sprite, Brightness, Brightness, Brightness, 1);
}

void TextButton::UpdateFocused() {
  if (Hidden) return;
  Widget::UpdateFocused();
  iSpriteTextureSet(Sprite, HighlightTexture);
  float x, y;
  Centre(x, y);
  PrintText(Caption, AlignCentre, false, x, y, CaptionScale.x, CaptionScale.y, CaptionSpacing,
            ColourFocused);
  if (Enabled) CheckActivate();
}

// ---- ToggleButton ---------------------------------------------------------------

ToggleButton::ToggleButton(UiHost& host, WidgetList& list, const std::string& image,
                           uint16_t splitPixels, Action action, float left, float bottom,
                           uint8_t& value)
    : Widget(host, list), Value(&value) {
  Activates = action;
  OffTexture = iTextureCreate(ImageFile(image, 0).c_str()).release();
  OnTexture = iTextureCreate(ImageFile(image, 1).c_str()).release();
  MeasureImage(ImageFile(image, 0), Width, Height);
  SplitX = PixelsToUnitsX(splitPixels) + left;
  iSpriteTextureSet(Sprite, OnTexture);
  PlaceImage(Sprite, Width, Height, left, bottom);
  iSpriteColorSet(Sprite, 1, 1, 1, 0.6f);
}

void ToggleButton::Update() {
  iFloatTendTo(&Brightness, 1.0f, 0.3f);
  // Left and Right set a focused toggle's value; only Up and Down leave it.
  Navigate(false);
  if (iSpritePicked(Sprite)) {
    FocusUnderPointer();
  } else {
    iSpriteColorSet(Sprite, 1, 1, 1, 0.6f);
  }
  iSpriteTextureSet(Sprite, *Value != 0 ? OnTexture : OffTexture);
}

void ToggleButton::UpdateFocused() {
  // A toggle left focused by a screen that went away is not shown: its keys
  // would change a setting the player cannot see.
  if (Hidden) return;
  heldFocus_ = Current;
  Widget::UpdateFocused();
  iSpriteColorSet(Sprite, 1, 1, 1, 1);
  CheckActivate();
}

void ToggleButton::CheckActivate() {
  auto apply = [&](uint8_t value) {
    *Value = value;
    host_.Activate(Activates);
  };
  if (iMouseButtonClick(0) && iSpritePicked(Sprite)) {
    apply(PointerOnPlane().x < SplitX ? 1 : 0);
  }
  if (EnterOrSpace()) apply(*Value == 0 ? 1 : 0);
  // Only a toggle that already had the focus takes Left and Right: the key that
  // brought the focus here is not a choice.
  if (!heldFocus_) return;
  if (Clicked(Key::Right)) apply(0);
  if (Clicked(Key::Left)) apply(1);
}

// ---- EditBox -------------------------------------------------------------------------

EditBox::EditBox(UiHost& host, WidgetList& list, std::string& text, float left, float bottom)
    : Widget(host, list), Text(&text) {
  BoxTexture = iTextureCreate("Data\\Edit.png").release();
  MeasureImage("Data\\Edit.png", Width, Height);
  TextX = left + 1.0f;
  TextY = PixelsToUnitsY(Height / 2) + bottom;
  CaretSprite = iSpriteCreate(SpriteModel, 0).release();
  iSpriteHide(CaretSprite);
  iSpriteTextureSet(Sprite, BoxTexture);
  CaretTexture = iTextureCreate("Data\\EditCursor.png").release();
  iSpriteTextureSet(CaretSprite, CaretTexture);
  // The caret picture is drawn at its own pixel size.
  uint16_t caretWidth = 0, caretHeight = 0;
  MeasureImage("Data\\EditCursor.png", caretWidth, caretHeight);
  const iVec2 caretScale = caretWidth && caretHeight
                               ? iVec2{PixelsToScale(caretWidth), PixelsToScale(caretHeight)}
                               : iVec2{1.0f, 1.0f};
  iSpriteScaleSet(CaretSprite, &caretScale);
  PlaceImage(Sprite, Width, Height, left, bottom);
  iSpriteColorSet(Sprite, 1, 1, 1, 0.6f);
  Editing = false;
}

void EditBox::Hide() {
  Widget::Hide();
  // Leaving the screen ends editing and takes the caret along.
  Editing = false;
  justStarted_ = false;
  CaretVisible = false;
  iSpriteHide(CaretSprite);
}

void EditBox::Update() {
  if (Hidden) {
    Navigate();
    return;
  }
  Widget::Update();
  if (iSpritePicked(Sprite)) {
    FocusUnderPointer();
  } else {
    iSpriteColorSet(Sprite, 1, 1, 1, 0.6f);
    Editing = false;
    iSpriteHide(CaretSprite);
  }
  if (!Text->empty()) {
    PrintText(*Text, AlignLeft, false, TextX, TextY, 1, 1, -0.3f, ColourEditText);
  }
}

void EditBox::UpdateFocused() {
  if (Hidden) return;
  Widget::UpdateFocused();
  iSpriteColorSet(Sprite, 1, 1, 1, 1);
  CheckActivate();
}

bool EditBox::Accepts(int32_t ch) {
  // Printable ASCII and the printable Latin-1 letters and signs (one byte each,
  // as the settings file stores names; the font draws them all). Control
  // characters and the invisible soft hyphen never enter the text.
  return (ch >= 32 && ch <= 126) || (ch >= 161 && ch <= 255 && ch != 173);
}

void EditBox::StartEditing() {
  if (Hidden) return;
  Editing = true;
  justStarted_ = true;
}

void EditBox::CheckActivate() {
  if (Hidden) return;
  // Enter, Space or a click start editing; while editing, Space is a space and
  // only Enter ends it.
  bool started = justStarted_;
  justStarted_ = false;
  if (!Editing) {
    if (iMouseButtonClick(0) || Clicked(Key::Enter) || Clicked(Key::Space)) {
      Editing = true;
      started = true;
    }
  } else if (!started && Clicked(Key::Enter)) {
    Editing = false;
  }
  if (!Editing) return;

  const int32_t ch = iTypedChar(true);
  // The space typed by the Space key that started editing is not text.
  if (!(started && ch == ' ') && Accepts(ch) && Text->size() < MaxLength) {
    const std::string longer = *Text + static_cast<char>(ch);
    if (PixelsToUnitsX(Width - 20) > TextWidth(longer)) *Text = longer;
  }
  if (Clicked(Key::Backspace) && !Text->empty()) Text->pop_back();

  SetLocation(CaretSprite, TextWidth(*Text) + TextX + 0.1f, TextY);
  const uint32_t now = TickCount();
  if (now - LastBlink > 200) {
    CaretVisible = !CaretVisible;
    if (CaretVisible) {
      iSpriteShow(CaretSprite);
    } else {
      iSpriteHide(CaretSprite);
    }
    LastBlink = now;
  }
}

// ---- KeyCaptureBox ----------------------------------------------------------------------

KeyCaptureBox::KeyCaptureBox(UiHost& host, WidgetList& list, uint8_t& key, float left, float bottom)
    : Widget(host, list), BoundKey(&key) {
  BoxTexture = iTextureCreate("Data\\BossKey.png").release();
  MeasureImage("Data\\BossKey.png", Width, Height);
  iSpriteTextureSet(Sprite, BoxTexture);
  TextX = PixelsToUnitsX(Width / 2) + left;
  TextY = PixelsToUnitsY(Height / 2) + bottom;
  SetScale(Sprite, Width, Height);
  SetLocation(Sprite, TextX, TextY);
  iSpriteColorSet(Sprite, 1, 1, 1, 0.6f);
  Capturing = false;
}

void KeyCaptureBox::Hide() {
  Widget::Hide();
  Capturing = false;
}

void KeyCaptureBox::Update() {
  if (Hidden) {
    Navigate();
    return;
  }
  Widget::Update();
  if (iSpritePicked(Sprite)) {
    FocusUnderPointer();
  } else {
    iSpriteColorSet(Sprite, 1, 1, 1, 0.6f);
    Capturing = false;
  }
  PrintText(Capturing ? "..." : KeyName(*BoundKey), AlignCentre, false, TextX, TextY, 1, 1, -0.3f,
            ColourEditText);
}

void KeyCaptureBox::UpdateFocused() {
  if (Hidden) return;
  Widget::UpdateFocused();
  iSpriteColorSet(Sprite, 1, 1, 1, 1);
  CheckActivate();
}

void KeyCaptureBox::CheckActivate() {
  if (Hidden) return;
  if (!Capturing) {
    // The key (or click) that starts the capture is never the key captured:
    // the capture takes the next key pressed.
    if (iMouseButtonClick(0) || Clicked(Key::Enter) || Clicked(Key::Space)) Capturing = true;
    return;
  }
  // Enter or Space end the capture and keep the old key.
  if (Clicked(Key::Enter) || Clicked(Key::Space)) {
    Capturing = false;
    return;
  }
  // Code 0 is a key without a code: it is never chosen.
  for (int32_t code = 1; code <= 88; ++code) {
    if (Clicked(code)) {
      *BoundKey = static_cast<uint8_t>(code);
      Capturing = false;
      host_.BossKeyCaptured();
      return;
    }
  }
}

std::string KeyName(int code) {
  static const char* const Row1 = "1234567890";
  static const char* const Row2 = "QWERTYUIOP";
  static const char* const Row3 = "ASDFGHJKL";
  static const char* const Row4 = "ZXCVBNM";
  if (code == 1) return "ESC";
  if (code >= 2 && code <= 11) return std::string(1, Row1[code - 2]);
  if (code == 12) return "-";
  if (code == 13) return "=";
  if (code == 14) return "BACK";
  if (code == 15) return "TAB";
  if (code >= 16 && code <= 25) return std::string(1, Row2[code - 16]);
  if (code == 26) return "[";
  if (code == 27) return "]";
  if (code >= 30 && code <= 38) return std::string(1, Row3[code - 30]);
  if (code >= 44 && code <= 50) return std::string(1, Row4[code - 44]);
  if (code >= 59 && code <= 68) return std::string("F").append(std::to_string(code - 58));
  if (code == 87) return "F11";
  if (code == 88) return "F12";
  return "None";
}

// ---- ScrollingText -------------------------------------------------------------------

std::vector<std::string> SplitHelpLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (lines.size() < ScrollingText::MaxLines && std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

Result<std::vector<std::string>> ReadHelpLines(const std::string& file) {
  std::ifstream in(ResolveDataPath(file), std::ios::binary);
  if (!in) {
    const int error = errno;
    return Error{"Cannot open file \"" + ShownPath(file) + "\". " + std::strerror(error),
                 std::error_code(error, std::generic_category())};
  }
  std::ostringstream text;
  text << in.rdbuf();
  return SplitHelpLines(text.str());
}

ScrollingText::ScrollingText(std::vector<std::string> lines) : Lines(std::move(lines)) {
  if (Lines.size() > MaxLines) Lines.resize(MaxLines);
}

void ScrollingText::Draw() {
  for (size_t i = 0; i < Lines.size(); ++i) {
    const float y = Offset - 1.5f * static_cast<float>(i);
    const float t = 0.94f - 0.06f * y - 0.018f * y * y;
    // Fully faded lines would draw nothing.
    if (t <= 0.0f || Lines[i].empty()) continue;
    PrintText(Lines[i], AlignCentre, false, X, y, 1, 1, -0.3f, Colour(t, 0.5f * t + 0.5f, 0, t));
  }
  Offset += 0.02f;
  if (Offset > static_cast<float>(Lines.size()) * 1.5f + 6.0f) Offset = -11.0f;
}

}  // namespace gh

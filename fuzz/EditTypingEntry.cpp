// The text box's typing on a stand-in engine: every engine call is bound to a
// do-nothing stub, and the few the box reads (typed character, clicked keys,
// the pointer over the box, the printed width) answer from the fuzzed input.
#include <cmath>
#include <filesystem>
#include <memory>

#include "FuzzEntries.h"
#include "engine/EngineCalls.h"
#include "engine/Keys.h"
#include "engine/ScreenUnits.h"
#include "platform/Platform.h"
#include "shell/Shell.h"
#include "ui/Widgets.h"

namespace gh::fuzz {

namespace {

template <typename R>
R Nothing() {
  if constexpr (std::is_pointer_v<R>) {
    return nullptr;
  } else {
    return R();
  }
}

// Stubs that ignore their arguments, one per engine call.
#define IMPACT_FN(ret, name, params) \
  template <typename... A>           \
  ret Stub_##name(A...) {            \
    return Nothing<ret>();           \
  }
#include "impact_api.inc"
#undef IMPACT_FN

// What the stand-in engine answers in the current frame.
struct FrameInput {
  int32_t typed = 0;
  bool enter = false, space = false, backspace = false, mouse = false, picked = false;
  int widthModel = 0;
} frame;
uint32_t ticks = 0;
int32_t nextHandle = 1;

float CharWidth(unsigned char c) {
  switch (frame.widthModel) {
    case 0:
      return 0.0f;  // a font that measures nothing
    case 1:
      return 0.6f;
    case 2:
      return 0.1f * static_cast<float>(c % 9 + 2);
    default:
      return 0.05f * static_cast<float>(c % 4);
  }
}

float MeasuredWidth(const std::string& text) {
  float w = 0;
  for (unsigned char c : text) w += CharWidth(c);
  return w;
}

class StandInPlatform final : public Platform {
 public:
  Status CreateMainWindow(const char*, int, int) override { return {}; }
  intptr_t MainWindowHandle() override { return 0; }
  bool MainWindowOpen() override { return true; }
  void CloseMainWindow() override {}
  void WaitForEvents(int) override {}
  bool IsApplicationActive() override { return true; }
  void MinimiseApplication() override {}
  bool IsMinimised() override { return false; }
  uint32_t LastWindowUse() override { return 0; }
  void HideSystemPointer() override {}
  void ConfinePointer(bool) override {}
  uint32_t TickCount() override { return ticks; }
  void ShowMessage(const std::string&) override {}
  void ShellOpen(const std::string&) override {}
  std::vector<std::string> FailedOpens() override { return {}; }
};

void BindStandIn() {
#define IMPACT_FN(ret, name, params) raw::name = &Stub_##name;
#include "impact_api.inc"
#undef IMPACT_FN
  raw::iSpriteCreate = [](const char*, int32_t) { return nextHandle++; };
  raw::iTextureCreate = [](const char*) { return nextHandle++; };
  raw::iTypedChar = [](int32_t) { return frame.typed; };
  raw::iKeyClick = [](int32_t key) -> int32_t {
    return (key == Key::Enter && frame.enter) || (key == Key::Space && frame.space) ||
                   (key == Key::Backspace && frame.backspace)
               ? -1
               : 0;
  };
  raw::iMouseButtonClick = [](int32_t button) -> int32_t {
    return button == 0 && frame.mouse ? -1 : 0;
  };
  raw::iSpritePicked = [](int32_t) -> int32_t { return frame.picked ? -1 : 0; };
  raw::iPrintWidth = [](const char* text, const iVec2*, float, int32_t) {
    return MeasuredWidth(text);
  };
}

std::string dataFolder;

// The box driven alone acts on nothing and makes no sound.
class NoHost final : public UiHost {
 public:
  void Activate(Action) override {}
  void PlayClick() override {}
  void BossKeyCaptured() override {}
};

// Printable ASCII or a printable Latin-1 letter or sign.
bool Printable(char c) { return EditBox::Accepts(static_cast<unsigned char>(c)); }

}  // namespace

void SetEditDataFolder(const std::string& folder) { dataFolder = folder; }

std::string CheckEditTyping(const uint8_t* data, size_t size) {
  static bool ready = false;
  static StandInPlatform platform;
  if (!ready) {
    SetPlatform(&platform);
    BindStandIn();
    ready = true;
  }
  if (size < 2) return {};
  frame.widthModel = data[0] & 3;
  const size_t startLength = std::min<size_t>(data[1], size - 2);
  std::string text(reinterpret_cast<const char*>(data) + 2, startLength);
  const std::string start = text;

  static NoHost host;
  WidgetList list(host);
  // The box measures its pictures in Data/; the fuzzer's own paths stay
  // relative to the folder it was started in.
  static const std::filesystem::path home = std::filesystem::current_path();
  if (!dataFolder.empty()) std::filesystem::current_path(dataFolder);
  EditBox* edit = list.Add<EditBox>(text, -5.0f, 0.0f);
  if (!dataFolder.empty()) std::filesystem::current_path(home);
  edit->Show();
  list.SetFocus(*edit);
  const float room = PixelsToUnitsX(edit->Width - 20);

  // The text is always a start of the text it began with, followed by typed
  // printable 8-bit characters.
  size_t keptOfStart = start.size();
  for (size_t at = 2 + startLength; at + 1 < size; at += 2) {
    const uint8_t ch = data[at], keys = data[at + 1];
    frame.typed = keys & 0x20 ? 0 : (keys & 0x40 ? -static_cast<int32_t>(ch) : ch);
    frame.typed += keys & 0x80 ? 256 : 0;
    frame.enter = keys & 1;
    frame.space = keys & 2;
    frame.backspace = keys & 4;
    frame.mouse = keys & 8;
    frame.picked = keys & 16;
    ticks += 1 + ch % 300;

    const std::string before = text;
    edit->Update();
    edit->UpdateFocused();

    if (text.size() > before.size()) {
      if (text.size() != before.size() + 1 || text.compare(0, before.size(), before) != 0)
        return "typing did more than add one character";
      if (!Printable(text.back()))
        return "a character outside printable 8-bit text entered the text";
      if (text.size() > EditBox::MaxLength) return "the text grew past its hard limit";
      // The engine measures (and prints) up to a zero byte, which a damaged
      // Config.cfg may have put in the starting text.
      if (!(MeasuredWidth(text.c_str()) < room)) return "the text grew past the box";
      if (!edit->Editing) return "a character entered while not editing";
    } else if (text.size() < before.size()) {
      if (text.size() + 1 != before.size() || before.compare(0, text.size(), text) != 0)
        return "backspace did more than remove the last character";
      if (!frame.backspace) return "the text shrank without backspace";
    } else if (text != before) {
      return "the text changed in place";
    }
    keptOfStart = std::min(keptOfStart, text.size());
    if (text.compare(0, keptOfStart, start, 0, keptOfStart) != 0)
      return "the start of the text changed";
    for (size_t i = keptOfStart; i < text.size(); ++i)
      if (!Printable(text[i])) return "a typed character is not printable";
  }
  edit->Hide();
  if (edit->Editing) return "hiding the box left it editing";
  return {};
}

}  // namespace gh::fuzz

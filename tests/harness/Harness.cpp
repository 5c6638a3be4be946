#include "Harness.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>

#include "engine/ScreenUnits.h"
#include "platform/System.h"
#include "shell/Shell.h"

namespace gh::test {

namespace {

const std::string EnginePath = LibraryPath(GH_BIN_DIR, "system");

template <typename T>
std::vector<T> ReadAll(int32_t (*read)(T*, int32_t)) {
  std::vector<T> items(static_cast<size_t>(std::max(read(nullptr, 0), 0)));
  const int32_t n = read(items.data(), static_cast<int32_t>(items.size()));
  items.resize(static_cast<size_t>(std::clamp<int32_t>(n, 0, static_cast<int32_t>(items.size()))));
  return items;
}

// Data/ of the build, seen from `to`: a symbolic link, or where the system
// makes none (Windows' C++ library), a tree of hard links to the same files.
void LinkData(const std::filesystem::path& to) {
  namespace fs = std::filesystem;
  const fs::path data = fs::path(GH_BIN_DIR) / "Data";
  std::error_code ec;
  fs::create_directory_symlink(data, to, ec);
  if (!ec) return;
  fs::create_directories(to);
  for (const auto& entry : fs::recursive_directory_iterator(data)) {
    const fs::path target = to / fs::relative(entry.path(), data);
    if (entry.is_directory()) {
      fs::create_directories(target);
      continue;
    }
    fs::create_hard_link(entry.path(), target, ec);
    if (ec) fs::copy_file(entry.path(), target);
  }
}

}  // namespace

std::string NormalisedFile(const std::string& file) {
  std::string out = file;
  for (char& c : out)
    c = c == '\\' ? '/' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

const EngineHarnessCalls& Engine() {
  static const EngineHarnessCalls calls = [] {
    EngineHarnessCalls c;
    // Our own reference keeps the library (and its state) loaded while the
    // program binds and unbinds it run after run.
    const Result<void*> opened = OpenModule(EnginePath);
    if (!opened) {
      std::fprintf(stderr, "cannot load %s: %s\n", EnginePath.c_str(),
                   opened.error().message.c_str());
      std::abort();
    }
    void* handle = *opened;
#define IH_BIND(ret, name, params)                                       \
  c.name = reinterpret_cast<ret(*) params>(ModuleSymbol(handle, #name)); \
  if (!c.name) {                                                         \
    std::fprintf(stderr, "the engine library lacks %s\n", #name);        \
    std::abort();                                                        \
  }
    IH_CALLS(IH_BIND)
#undef IH_BIND
    return c;
  }();
  return calls;
}

Harness::Harness(HarnessOptions options) : platform_({Engine().ihMillis, Engine().ihIdleTick}) {
  const auto& e = Engine();
  previousFolder_ = std::filesystem::current_path();
  if (options.folder) {
    folder_ = *options.folder;
  } else {
    // A new folder of the system's temporary folder, taken only if nobody had it.
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int i = 0; i < 100 && folder_.empty(); ++i) {
      const auto name = std::filesystem::temp_directory_path() /
                        ("gh-test-" + std::to_string(random() % 1000000000));
      std::error_code ec;
      if (std::filesystem::create_directory(name, ec)) folder_ = name;
    }
    if (folder_.empty()) std::abort();
    ownFolder_ = true;
  }
  if (options.linkData && !std::filesystem::exists(folder_ / "Data")) LinkData(folder_ / "Data");
  if (options.config) {
    std::ofstream(folder_ / "Config.cfg", std::ios::binary) << *options.config;
  }
  std::filesystem::current_path(folder_);
  settleScoreSends_ = options.settleScoreSends;

  platform_.displayAvailable = options.displayAvailable;
  e.ihHeadlessEnable(1);
  e.ihOpenFailSet(options.engineOpenFails ? 1 : 0);
  e.ihSeed(options.seed);
  if (options.zeroClock) {
    // Milliseconds are frame * 1000 / 60 truncated: from a multiple of three
    // frames every later difference is the same as from frame 0.
    e.ihFrameHookSet(nullptr, nullptr);
    while (e.ihFrame() % 3 != 0) e.ihIdleTick();
    platform_.tickBase = e.ihMillis();
  }
  e.ihMouseSet(0.5f, 0.5f);
  e.ihMouseButtonSet(0, 0);
  e.ihMouseButtonSet(1, 0);
  for (int key = 0; key < 256; ++key) e.ihKeySet(key, 0);
  SoundEvents();  // forget earlier runs' sounds
  e.ihFrameHookSet(nullptr, nullptr);

  program_ = std::make_unique<Program>(platform_, EnginePath, std::move(options.program));
  if (program_->Ended()) {  // it could not start
    exited_ = true;
    exitCode_ = program_->ExitCode();
  }
}

Harness::~Harness() {
  if (!exited_) Close();
  program_.reset();
  Engine().ihOpenFailSet(0);
  std::error_code ec;
  std::filesystem::current_path(previousFolder_, ec);
  if (ownFolder_) std::filesystem::remove_all(folder_, ec);
}

void Harness::Step(int frames) {
  const auto& e = Engine();
  for (int i = 0; i < frames && !exited_; ++i) {
    // A step of the program without a frame (the end of an engine run, say)
    // belongs to the frame before the next one.
    const uint64_t frame = e.ihFrame();
    if (settleScoreSends_) {
      // Three requests (the recording's upload the third), each within the
      // client's whole-request limit (10 s at most).
      if (const ScoreSend* send = program_->Shell().Questions().SendInProgress())
        send->WaitFor(std::chrono::seconds(35));
    }
    while (e.ihFrame() == frame) {
      if (!program_->Step()) {
        exited_ = true;
        exitCode_ = program_->ExitCode();
        break;
      }
    }
  }
}

uint32_t Harness::NextFrameTick() const {
  // The engine's milliseconds are frame * 1000 / 60, truncated.
  return static_cast<uint32_t>((Engine().ihFrame() + 1) * 1000 / 60) - platform_.tickBase;
}

bool Harness::StepUntil(const std::function<bool()>& done, int maxFrames) {
  for (int i = 0; i < maxFrames; ++i) {
    if (done()) return true;
    if (exited_) return false;
    Step(1);
  }
  return done();
}

bool Harness::StepUntilPrint(const std::string& text, int maxFrames) {
  return StepUntil([&] { return HasPrint(text); }, maxFrames);
}

void Harness::Close(int maxFrames) {
  for (int i = 0; i < maxFrames && !exited_; i += 50) {
    Post(iMsgClose);
    Step(50);
  }
}

void Harness::MouseAt(float x, float y) {
  const iVec2 at = PlaneToView(x, y);
  MouseFraction(at.x, at.y);
}

void Harness::MouseFraction(float x, float y) { Engine().ihMouseSet(x, y); }

void Harness::ButtonDown(int button) { Engine().ihMouseButtonSet(button, 1); }

void Harness::ButtonUp(int button) { Engine().ihMouseButtonSet(button, 0); }

void Harness::Click(int button) {
  ButtonDown(button);
  Step(1);
  ButtonUp(button);
}

void Harness::KeyDown(int key) { Engine().ihKeySet(key, 1); }

void Harness::KeyUp(int key) { Engine().ihKeySet(key, 0); }

void Harness::Tap(int key) {
  KeyDown(key);
  Step(1);
  KeyUp(key);
}

void Harness::Type(const std::string& text) {
  for (char c : text) {
    Engine().ihCharType(static_cast<unsigned char>(c));
    Step(1);
  }
}

void Harness::Post(int kind, int a, int b) {
  const iMessage message{kind, a, b};
  Engine().ihMessagePost(&message);
}

std::vector<ihSprite> Harness::Sprites() const { return ReadAll(Engine().ihSprites); }

std::vector<ihMesh> Harness::Meshes() const { return ReadAll(Engine().ihMeshes); }

std::vector<ihPrint> Harness::Prints() const { return ReadAll(Engine().ihPrints); }

std::vector<std::string> Harness::PrintTexts() const {
  std::vector<std::string> texts;
  for (const auto& p : Prints()) texts.emplace_back(p.text);
  return texts;
}

bool Harness::HasPrint(const std::string& text) const {
  for (const auto& p : Prints())
    if (text == p.text) return true;
  return false;
}

const ihPrint* Harness::FindPrint(const std::string& text, std::vector<ihPrint>& storage) const {
  storage = Prints();
  // The last one printed is the one on top (a shadow comes first).
  for (auto it = storage.rbegin(); it != storage.rend(); ++it)
    if (text == it->text) return &*it;
  return nullptr;
}

std::vector<ihSoundEvent> Harness::SoundEvents() const { return ReadAll(Engine().ihSoundEvents); }

bool Harness::SpriteShown(const std::string& file) const {
  const std::string want = NormalisedFile(file);
  for (const auto& s : Sprites())
    if (NormalisedFile(s.file) == want) return true;
  return false;
}

bool Harness::MeshShown(const std::string& file) const {
  const std::string want = NormalisedFile(file);
  for (const auto& m : Meshes())
    if (NormalisedFile(m.file) == want) return true;
  return false;
}

}  // namespace gh::test

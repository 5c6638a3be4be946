#include "verify/HeadlessEngine.h"

#include "engine/EngineCalls.h"
#include "engine/EngineLibrary.h"
#include "engine/Lights.h"
#include "engine/ScreenUnits.h"
#include "platform/HeadlessPlatform.h"
#include "platform/System.h"

namespace gh {

// The headless backend's own calls, beside the engine calls the program binds.
struct HeadlessEngine::Calls {
  void (*headlessEnable)(int32_t) = nullptr;
  uint32_t (*millis)() = nullptr;
  void (*idleTick)() = nullptr;
  int32_t (*objectCount)() = nullptr;
};

namespace {

// Where the live program's lights stand during play (in front of the scene).
constexpr float PlayingLightsDepth = -20.0f;

template <typename F>
bool Bind(void* library, const char* name, F& to) {
  to = reinterpret_cast<F>(ModuleSymbol(library, name));
  return to != nullptr;
}

}  // namespace

HeadlessEngine::HeadlessEngine() : calls_(std::make_unique<Calls>()) {}

Result<std::unique_ptr<HeadlessEngine>> HeadlessEngine::Open(const std::string& libraryPath) {
  if (Status loaded = LoadEngine(libraryPath); !loaded) return loaded.error();
  std::unique_ptr<HeadlessEngine> engine(new HeadlessEngine());
  Calls& c = *engine->calls_;
  void* library = EngineLibraryHandle();
  if (!Bind(library, "ihHeadlessEnable", c.headlessEnable) ||
      !Bind(library, "ihMillis", c.millis) || !Bind(library, "ihIdleTick", c.idleTick) ||
      !Bind(library, "ihObjectCount", c.objectCount)) {
    UnloadEngine();
    return Error{"The engine library " + libraryPath + " has no headless mode.", {}};
  }
  engine->platform_ =
      std::make_unique<HeadlessPlatform>(HeadlessPlatform::Clock{c.millis, c.idleTick});
  SetPlatform(engine->platform_.get());
  c.headlessEnable(1);
  i3ImpactErrorFlagSet(false);
  if (!i3ImpactOpen(0, 0)) {
    const std::string why = i3ImpactErrorText() ? i3ImpactErrorText() : "";
    return Error{"The game engine could not start headless. " + why, {}};
  }
  engine->open_ = true;

  // The first frame is the engine's loading phase, as in the live program.
  i3ImpactMain();
  i3ImpactInitBegin();
  const CameraRef camera = MakeScreenCamera();
  const iVec3 cameraAt{0, 0, -20.7f};
  iCameraLocationSet(camera, &cameraAt);
  SetLightsDepth(PlayingLightsDepth);
  MakeScreenFont("Data\\font\\BancoDi.wid");
  i3ImpactInitEnd();
  if (i3ImpactErrorFlag()) {
    const std::string why = i3ImpactErrorText() ? i3ImpactErrorText() : "";
    return Error{"The game engine failed while loading. " + why, {}};
  }
  return engine;
}

HeadlessEngine::~HeadlessEngine() {
  if (open_) {
    iReset(true, true);
    EndEngineRun();
    i3ImpactClose();
  }
  if (platform_) SetPlatform(nullptr);
  UnloadEngine();
}

void HeadlessEngine::Frame(bool render) {
  i3ImpactMain();
  if (render) i3ImpactRender();
  iProcessMessages();
}

int32_t HeadlessEngine::ObjectCount() const { return calls_->objectCount(); }

}  // namespace gh

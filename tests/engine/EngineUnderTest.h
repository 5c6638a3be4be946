// Loads bin/system.so the way the program does (gh::LoadEngine binds the engine
// calls into gh::raw, the table the tests call) and binds the headless harness
// calls beside them.
#pragma once
#include <string>

#include "engine/EngineCalls.h"
#include "impact_harness.h"

namespace enginetest {

struct HarnessCalls {
// One call a line (clang-format lays such a list out differently on each run).
// clang-format off
#define IH_CALLS(X) \
  X(ihHeadlessEnable) \
  X(ihHeadless) \
  X(ihMillis) \
  X(ihFrame) \
  X(ihIdleTick) \
  X(ihSeed) \
  X(ihFrameHookSet) \
  X(ihMouseSet) \
  X(ihMouseButtonSet) \
  X(ihKeySet) \
  X(ihCharType) \
  X(ihMessagePost) \
  X(ihErrorRaise) \
  X(ihOpenFailSet) \
  X(ihNumbersReusedSet) \
  X(ihSprites) \
  X(ihMeshes) \
  X(ihPrints) \
  X(ihSoundEvents) \
  X(ihSoundPlaying) \
  X(ihLight) \
  X(ihParticles) \
  X(ihOpenCount) \
  X(ihFullscreen) \
  X(ihObjectCount) \
  X(ihSceneChecksum) \
  X(ihLastRendered) \
  X(ihCaptureEnable) \
  X(ihViewPixels) \
  X(ihFramesShown)
// clang-format on
#define IH_FIELD(name) decltype(&::name) name = nullptr;
  IH_CALLS(IH_FIELD)
#undef IH_FIELD
};

// Loads the library once per test program; fails the test on a missing call.
// Returns the harness calls.
const HarnessCalls& Engine();
std::string LibraryPath();

}  // namespace enginetest

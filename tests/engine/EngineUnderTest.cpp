#include "EngineUnderTest.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/EngineLibrary.h"
#include "platform/System.h"

namespace enginetest {

std::string LibraryPath() { return gh::LibraryPath(GH_BIN_DIR, "system"); }

const HarnessCalls& Engine() {
  static HarnessCalls calls;
  static bool loaded = false;
  if (!loaded) {
    if (const gh::Status loaded = gh::LoadEngine(LibraryPath()); !loaded) {
      ADD_FAILURE() << loaded.error().message;
      std::abort();
    }
    void* lib = gh::EngineLibraryHandle();
#define IH_BIND(name)                                                                \
  calls.name = reinterpret_cast<decltype(calls.name)>(gh::ModuleSymbol(lib, #name)); \
  if (!calls.name) {                                                                 \
    ADD_FAILURE() << "the engine library lacks " #name;                              \
    std::abort();                                                                    \
  }
    IH_CALLS(IH_BIND)
#undef IH_BIND
    loaded = true;
  }
  return calls;
}

}  // namespace enginetest

#include "EngineUnderTest.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/EngineLibrary.h"

namespace enginetest {

std::string LibraryPath() {
#ifdef _WIN32
  return std::string(GH_BIN_DIR) + "/system.dll";
#else
  return std::string(GH_BIN_DIR) + "/system.so";
#endif
}

const HarnessCalls& Engine() {
  static HarnessCalls calls;
  static bool loaded = false;
  if (!loaded) {
    std::string error;
    if (!gh::LoadEngine(LibraryPath(), error)) {
      ADD_FAILURE() << error;
      std::abort();
    }
    void* lib = gh::EngineLibraryHandle();
#define IH_BIND(name)                                                     \
  calls.name = reinterpret_cast<decltype(calls.name)>(dlsym(lib, #name)); \
  if (!calls.name) {                                                      \
    ADD_FAILURE() << "system.so lacks " #name;                            \
    std::abort();                                                         \
  }
    IH_CALLS(IH_BIND)
#undef IH_BIND
    loaded = true;
  }
  return calls;
}

}  // namespace enginetest

#include "EngineLibrary.h"

#include <dlfcn.h>

#include "EngineCalls.h"

namespace gh {

#define IMPACT_FN(ret, name, params) ret(*name) params = nullptr;
#include "impact_api.inc"
#undef IMPACT_FN

namespace {

void* library = nullptr;

void ClearCalls() {
#define IMPACT_FN(ret, name, params) name = nullptr;
#include "impact_api.inc"
#undef IMPACT_FN
}

}  // namespace

bool LoadEngine(const std::string& path, std::string& error) {
  UnloadEngine();
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = dlerror();
    error = "Cannot load the engine library \"" + path + "\": " + (why ? why : "unknown error");
    return false;
  }
  // Bind into locals first: a missing function leaves nothing half-bound.
#define IMPACT_FN(ret, name, params)                                                      \
  auto bound_##name = reinterpret_cast<ret(*) params>(dlsym(handle, #name));              \
  if (!bound_##name) {                                                                    \
    error = "The engine library \"" + path + "\" lacks the function \"" #name "\"";        \
    dlclose(handle);                                                                      \
    return false;                                                                         \
  }
#include "impact_api.inc"
#undef IMPACT_FN
#define IMPACT_FN(ret, name, params) name = bound_##name;
#include "impact_api.inc"
#undef IMPACT_FN
  library = handle;
  return true;
}

void UnloadEngine() {
  ClearCalls();
  if (library) {
    dlclose(library);
    library = nullptr;
  }
}

void* EngineLibraryHandle() { return library; }

}  // namespace gh

#include "EngineLibrary.h"

#include "EngineCalls.h"
#include "platform/System.h"

namespace gh {

namespace raw {
#define IMPACT_FN(ret, name, params) ret(*name) params = nullptr;
#include "impact_api.inc"
#undef IMPACT_FN
}  // namespace raw

namespace {

void* library = nullptr;

void ClearCalls() {
#define IMPACT_FN(ret, name, params) raw::name = nullptr;
#include "impact_api.inc"
#undef IMPACT_FN
}

}  // namespace

Status LoadEngine(const std::string& path) {
  UnloadEngine();
  const Result<void*> opened = OpenModule(path);
  if (!opened) {
    return Error{"Cannot load the engine library \"" + path + "\": " + opened.error().message, {}};
  }
  void* handle = *opened;
  // Bind into locals first: a missing function leaves nothing half-bound.
#define IMPACT_FN(ret, name, params)                                                          \
  auto bound_##name = reinterpret_cast<ret(*) params>(ModuleSymbol(handle, #name));           \
  if (!bound_##name) {                                                                        \
    CloseModule(handle);                                                                      \
    return Error{"The engine library \"" + path + "\" lacks the function \"" #name "\"", {}}; \
  }
#include "impact_api.inc"
#undef IMPACT_FN
#define IMPACT_FN(ret, name, params) raw::name = bound_##name;
#include "impact_api.inc"
#undef IMPACT_FN
  library = handle;
  return {};
}

void UnloadEngine() {
  // A library loaded again counts its objects afresh: nothing made so far may
  // be freed through it.
  EndEngineRun();
  // A decoding thread must not be inside the loader while the library unloads.
  if (raw::iTexturePrefetch) raw::iTexturePrefetch(nullptr);
  ClearCalls();
  if (library) {
    CloseModule(library);
    library = nullptr;
  }
}

void* EngineLibraryHandle() { return library; }

}  // namespace gh

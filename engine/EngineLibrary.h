// Loading the engine library and binding its calls by name.
#pragma once
#include <string>

#include "platform/Result.h"

namespace gh {

// Opens the engine library at `path` and binds every engine call the program
// uses. On failure nothing is bound and the Error names the library or the
// missing function. The library stays loaded until UnloadEngine or process end.
Status LoadEngine(const std::string& path);
void UnloadEngine();
// The loaded library's handle (for harnesses that look up further symbols).
void* EngineLibraryHandle();

}  // namespace gh

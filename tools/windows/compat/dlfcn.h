// dlopen/dlsym/dlclose/dlerror on LoadLibrary for the Windows test build, so
// the engine's own tests load system.dll through the same binding code as on
// Linux. Only tools/windows/CMakeLists.txt puts this folder on the include path.
#pragma once
#include <windows.h>

#include <string>

#define RTLD_LAZY 0x1
#define RTLD_NOW 0x2
#define RTLD_LOCAL 0x0
#define RTLD_GLOBAL 0x100

namespace gh_dlfcn {

inline std::string& LastError() {
  static thread_local std::string error;
  return error;
}

inline void SetLastErrorText(DWORD code) {
  wchar_t* text = nullptr;
  FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string out;
  if (text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    out.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    LocalFree(text);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' '))
      out.pop_back();
  }
  LastError() = out.empty() ? "error " + std::to_string(code) : out;
}

}  // namespace gh_dlfcn

inline void* dlopen(const char* file, int) {
  std::string path = file ? file : "";
  for (char& c : path)
    if (c == '/') c = '\\';
  int n = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
  std::wstring wide(n > 0 ? static_cast<size_t>(n) : 1, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide.data(), n);
  // The library's own folder is searched for the libraries it needs (SDL2.dll).
  HMODULE module = LoadLibraryExW(wide.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module) gh_dlfcn::SetLastErrorText(GetLastError());
  return reinterpret_cast<void*>(module);
}

inline void* dlsym(void* handle, const char* name) {
  FARPROC proc = GetProcAddress(reinterpret_cast<HMODULE>(handle), name);
  if (!proc) gh_dlfcn::SetLastErrorText(GetLastError());
  return reinterpret_cast<void*>(proc);
}

inline int dlclose(void* handle) { return FreeLibrary(reinterpret_cast<HMODULE>(handle)) ? 0 : -1; }

inline const char* dlerror() {
  static thread_local std::string last;
  last = gh_dlfcn::LastError();
  gh_dlfcn::LastError().clear();
  return last.empty() ? nullptr : last.c_str();
}

// The few operating system calls the engine makes itself (the rest goes through
// SDL): a monotonic clock, sleeping, reading files by their UTF-8 names, and
// loading the libraries the engine needs only later (audio, fonts).
#pragma once
#include <cstdint>
#include <fstream>
#include <string>

namespace impact::os {

// Nanoseconds on a clock that never jumps (CLOCK_MONOTONIC on Linux).
uint64_t MonotonicNs();
// Sleeps until MonotonicNs() reaches `ns`; returns at once if it already has.
void SleepUntilNs(uint64_t ns);
void SleepForNs(uint64_t ns);

// A regular file's modification time (ns) and size; false with the system's
// text of the reason ("No such file or directory", "not a file") otherwise.
bool StatFile(const std::string& path, int64_t& time, int64_t& size, std::string& error);
// Opens a file for binary reading by its UTF-8 name.
std::ifstream OpenForReading(const std::string& path);

// The engine library's own file name, as messages name it.
inline const char* LibraryName() {
#ifdef _WIN32
  return "system.dll";
#else
  return "system.so";
#endif
}

// A data file's name as messages show it: with the system's own separator.
inline std::string ShownPath(std::string name) {
#ifndef _WIN32
  for (char& c : name)
    if (c == '\\') c = '/';
#endif
  return name;
}

// Loads a shared library for the rest of the process (nullptr when it cannot be
// loaded) and finds a function in it by name (nullptr when it is not there).
void* OpenLibrary(const char* name);
void* LibraryFunction(void* library, const char* name);

// Stores the library's function `name` in `call`, typed as the call it is; false
// when the library lacks it.
template <typename Fn>
bool BindCall(void* library, const char* name, Fn*& call) {
  call = reinterpret_cast<Fn*>(LibraryFunction(library, name));
  return call != nullptr;
}

}  // namespace impact::os

// Libraries loaded by name when first wanted. Their calls are listed as an
// X-macro, `#define CALLS(X) X(Mix_Init) X(Mix_OpenAudio) ...`; GH_LATE_CALLS(CALLS)
// declares a pointer named like each call, and GH_BIND_LATE_LIBRARY(file, CALLS)
// loads the library for the rest of the process and binds them all: true when
// the library and every call were there.
#define GH_LATE_CALL_SLOT_(name) decltype(&::name) name = nullptr;
#define GH_LATE_CALLS(calls) calls(GH_LATE_CALL_SLOT_)
#define GH_LATE_CALL_BIND_(name) all = all && ::impact::os::BindCall(library, #name, name);
#define GH_BIND_LATE_LIBRARY(file, calls)            \
  [] {                                               \
    void* library = ::impact::os::OpenLibrary(file); \
    bool all = library != nullptr;                   \
    calls(GH_LATE_CALL_BIND_) return all;            \
  }()

#include "Os.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <windows.h>

#include <filesystem>
#else
#include <dlfcn.h>
#include <sys/stat.h>
#include <time.h>
#endif

namespace impact::os {

#ifdef _WIN32

namespace {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

// One timer per thread. A high-resolution timer (Windows 10 1803 and later)
// wakes within a fraction of a millisecond; elsewhere a plain one, which wakes
// on the system tick.
HANDLE ThreadTimer() {
  thread_local HANDLE timer = [] {
    HANDLE t = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                      TIMER_ALL_ACCESS);
    return t ? t : CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
  }();
  return timer;
}

}  // namespace

uint64_t MonotonicNs() {
  static const uint64_t frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<uint64_t>(f.QuadPart);
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  const uint64_t c = static_cast<uint64_t>(counter.QuadPart);
  return c / frequency * 1000000000ull + c % frequency * 1000000000ull / frequency;
}

void SleepForNs(uint64_t ns) {
  if (ns == 0) return;
  HANDLE timer = ThreadTimer();
  LARGE_INTEGER due;
  due.QuadPart = -static_cast<LONGLONG>((ns + 99) / 100);  // relative, in 100 ns
  if (timer && SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
    WaitForSingleObject(timer, INFINITE);
  } else {
    Sleep(static_cast<DWORD>((ns + 999999) / 1000000));
  }
}

void SleepUntilNs(uint64_t ns) {
  const uint64_t now = MonotonicNs();
  if (ns > now) SleepForNs(ns - now);
}

bool StatFile(const std::string& path, int64_t& time, int64_t& size, std::string& error) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) {
    // The C library's texts, as on Linux.
    switch (GetLastError()) {
      case ERROR_ACCESS_DENIED:
      case ERROR_SHARING_VIOLATION:
        error = std::strerror(EACCES);
        break;
      default:
        error = std::strerror(ENOENT);
    }
    return false;
  }
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    error = "not a file";
    return false;
  }
  // 100 ns units since 1601; only differences matter.
  const uint64_t written = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                           data.ftLastWriteTime.dwLowDateTime;
  time = static_cast<int64_t>(written * 100);
  size =
      static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
  return true;
}

std::ifstream OpenForReading(const std::string& path) {
  return std::ifstream(std::filesystem::path(Wide(path)), std::ios::binary);
}

void* OpenLibrary(const char* name) { return LoadLibraryW(Wide(name).c_str()); }

void* LibraryFunction(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

#else

uint64_t MonotonicNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<uint64_t>(ts.tv_nsec);
}

void SleepUntilNs(uint64_t ns) {
  const timespec ts{static_cast<time_t>(ns / 1000000000ull), static_cast<long>(ns % 1000000000ull)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
  }
}

void SleepForNs(uint64_t ns) {
  timespec ts{static_cast<time_t>(ns / 1000000000ull), static_cast<long>(ns % 1000000000ull)};
  nanosleep(&ts, nullptr);
}

bool StatFile(const std::string& path, int64_t& time, int64_t& size, std::string& error) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    error = std::strerror(errno);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    error = "not a file";
    return false;
  }
  time = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  size = st.st_size;
  return true;
}

std::ifstream OpenForReading(const std::string& path) {
  return std::ifstream(path, std::ios::binary);
}

void* OpenLibrary(const char* name) { return dlopen(name, RTLD_NOW | RTLD_LOCAL); }

void* LibraryFunction(void* library, const char* name) { return dlsym(library, name); }

#endif

}  // namespace impact::os

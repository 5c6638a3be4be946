// The Windows twin of System_posix.cpp: the same rules, on Windows' own calls.
// Paths arrive and leave as UTF-8 and cross to Windows as UTF-16.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "platform/System.h"

namespace gh {

namespace {

// Windows' reasons as the portable ones the callers compare against; the
// message of a reason without one keeps the system's own text.
std::error_code FromWindows(DWORD code) {
  int err = 0;
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      err = ENOENT;
      break;
    case ERROR_ACCESS_DENIED:
    case ERROR_CURRENT_DIRECTORY:
      err = EACCES;
      break;
    case ERROR_WRITE_PROTECT:
      err = EROFS;
      break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      err = EBUSY;
      break;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      err = EEXIST;
      break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      err = ENOSPC;
      break;
    case ERROR_DIRECTORY:
      err = ENOTDIR;
      break;
    case ERROR_FILENAME_EXCED_RANGE:
      err = ENAMETOOLONG;
      break;
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_PARAMETER:
      err = EINVAL;
      break;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      err = ENOMEM;
      break;
    default:
      return {static_cast<int>(code), std::system_category()};
  }
  return {err, std::generic_category()};
}

std::error_code LastError() { return FromWindows(::GetLastError()); }
std::error_code Errno(int err) { return {err, std::generic_category()}; }

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n =
      ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(n > 0 ? static_cast<size_t>(n) : 0, L'\0');
  if (n > 0)
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string Narrow(const wchar_t* wide, size_t length) {
  if (length == 0) return {};
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), nullptr, 0,
                                      nullptr, nullptr);
  std::string out(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  if (n > 0)
    ::WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), out.data(), n, nullptr,
                          nullptr);
  return out;
}

// The system's text of an error, without its line end.
std::string MessageOf(DWORD code) {
  wchar_t* text = nullptr;
  ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string out = text ? Narrow(text, std::wcslen(text)) : std::string();
  if (text) ::LocalFree(text);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' '))
    out.pop_back();
  return out.empty() ? "error " + std::to_string(code) : out;
}

// A handle closed on every path.
class Handle {
 public:
  explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  void Reset(HANDLE h) {
    Close();
    h_ = h;
  }
  HANDLE get() const { return h_; }
  bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
  bool Close() {
    const bool done = h_ == INVALID_HANDLE_VALUE || ::CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
    return done;
  }

 private:
  HANDLE h_;
};

bool WriteAll(HANDLE h, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 20));
    DWORD done = 0;
    if (!::WriteFile(h, bytes.data(), want, &done, nullptr)) return false;
    bytes.remove_prefix(done);
  }
  return true;
}

// Reads to the end or to `limit` bytes; false on a read error.
bool ReadUpTo(HANDLE h, size_t limit, std::string& out) {
  out.clear();
  char buffer[65536];
  while (out.size() < limit) {
    const DWORD want = static_cast<DWORD>(std::min(sizeof buffer, limit - out.size()));
    DWORD got = 0;
    if (!::ReadFile(h, buffer, want, &got, nullptr)) return false;
    if (got == 0) break;
    out.append(buffer, got);
  }
  return true;
}

constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens for reading, and only a file on a disk: a folder, a pipe or a device
// (CON, NUL, COM1) in its place is refused before anything waits on it.
std::error_code OpenRegular(const std::wstring& path, Handle& h) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return Errno(EISDIR);
  h.Reset(::CreateFileW(path.c_str(), GENERIC_READ, ShareAll, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h.ok()) return LastError();
  if (::GetFileType(h.get()) != FILE_TYPE_DISK) {
    h.Close();
    return Errno(EINVAL);
  }
  return {};
}

}  // namespace

Result<std::string> ReadFileStart(const std::string& path, size_t limit) {
  Handle h;
  if (const auto error = OpenRegular(Wide(path), h)) return detail::OpenFailure(path, error);
  std::string bytes;
  if (!ReadUpTo(h.get(), limit, bytes)) return detail::OpenFailure(path, LastError());
  return bytes;
}

Status CreateNewFile(const std::string& path, std::string_view bytes) {
  auto failed = [&](std::error_code error) {
    return Error{"Cannot create file \"" + path + "\". " + error.message(), error};
  };
  const std::wstring wide = Wide(path);
  Handle h(::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                         nullptr));
  if (!h.ok()) return failed(LastError());
  if (!WriteAll(h.get(), bytes) || !::FlushFileBuffers(h.get())) {
    const auto error = LastError();
    h.Close();
    ::DeleteFileW(wide.c_str());
    return failed(error);
  }
  if (!h.Close()) {
    const auto error = LastError();
    ::DeleteFileW(wide.c_str());
    return failed(error);
  }
  return {};
}

Status ReplaceFileKeepingTail(const std::string& path, std::string_view bytes) {
  using detail::ReplaceStep;
  auto failed = [&](ReplaceStep step, std::error_code error) {
    return detail::ReplaceFailure(step, path, error);
  };
  const std::wstring target = Wide(path);
  Handle old;
  bool hadOld = true;
  DWORD oldAttributes = INVALID_FILE_ATTRIBUTES;
  if (const auto error = OpenRegular(target, old)) {
    if (error != std::errc::no_such_file_or_directory)
      return failed(ReplaceStep::OpeningOld, error);
    hadOld = false;
  } else {
    // A renaming would replace a read-only file as well: the player's
    // protection is checked first and the file left as it is.
    oldAttributes = ::GetFileAttributesW(target.c_str());
    if (oldAttributes != INVALID_FILE_ATTRIBUTES && (oldAttributes & FILE_ATTRIBUTE_READONLY))
      return failed(ReplaceStep::OpeningOld, Errno(EACCES));
    Handle probe(::CreateFileW(target.c_str(), GENERIC_WRITE, ShareAll, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!probe.ok()) return failed(ReplaceStep::OpeningOld, LastError());
  }

  std::wstring temp;
  Handle out;
  for (int i = 0; i < 100 && !out.ok(); ++i) {
    temp = Wide(path + ".new" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(i));
    out.Reset(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.ok() && ::GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (!out.ok()) return failed(ReplaceStep::CreatingNew, LastError());

  auto abandon = [&](std::error_code error, ReplaceStep stage = ReplaceStep::Writing) {
    out.Close();
    ::DeleteFileW(temp.c_str());
    return failed(stage, error);
  };
  if (!WriteAll(out.get(), bytes)) return abandon(LastError());
  if (hadOld) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(bytes.size());
    if (!::SetFilePointerEx(old.get(), at, nullptr, FILE_BEGIN)) return abandon(LastError());
    char buffer[65536];
    for (;;) {
      DWORD got = 0;
      if (!::ReadFile(old.get(), buffer, sizeof buffer, &got, nullptr)) return abandon(LastError());
      if (got == 0) break;
      if (!WriteAll(out.get(), std::string_view(buffer, got))) return abandon(LastError());
    }
    old.Close();
  }
  if (!::FlushFileBuffers(out.get())) return abandon(LastError());
  if (!out.Close()) return abandon(LastError());
  // The attributes the player gave the file (hidden, say) stay with it.
  constexpr DWORD Kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                         FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  if (oldAttributes != INVALID_FILE_ATTRIBUTES && (oldAttributes & Kept) &&
      !::SetFileAttributesW(temp.c_str(), oldAttributes & Kept))
    return abandon(LastError());
  // ReplaceFileW keeps the old file's attributes and access rights, as the
  // POSIX save keeps its mode; the rename itself is written through.
  const bool replaced = hadOld
                            ? ::ReplaceFileW(target.c_str(), temp.c_str(), nullptr,
                                             REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) ||
                                  ::MoveFileExW(temp.c_str(), target.c_str(),
                                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                            : ::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
  if (!replaced) return abandon(LastError(), ReplaceStep::Renaming);
  return {};
}

Result<FileLock::Outcome> FileLock::Take(const std::string& path) {
  Release();
  // No sharing at all: while this handle is open nobody else can open the file.
  HANDLE h = ::CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD code = ::GetLastError();
    if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION)
      return Outcome::HeldElsewhere;
    const std::error_code error = FromWindows(code);
    return Error{"Cannot lock file \"" + path + "\". " + error.message(), error};
  }
  handle_ = reinterpret_cast<intptr_t>(h);
  return Outcome::Taken;
}

void FileLock::Release() {
  if (handle_ == -1) return;
  ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = -1;
}

std::string ShownPath(std::string name) {
  std::replace(name.begin(), name.end(), '/', '\\');
  return name;
}

std::string ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return ".";
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    if (path.size() >= 32768) return ".";
    path.resize(path.size() * 2);
  }
  const size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return ".";
  return Narrow(path.data(), slash);
}

bool EnterFolder(const std::string& folder) {
  return ::SetCurrentDirectoryW(Wide(folder).c_str()) != 0;
}

std::string LibraryPath(const std::string& folder, const std::string& stem) {
  return folder + "\\" + stem + ".dll";
}

Result<void*> OpenModule(const std::string& path) {
  std::wstring wide = Wide(path);
  std::replace(wide.begin(), wide.end(), L'/', L'\\');
  // A library given with its folder finds the libraries it needs (SDL2.dll)
  // in that folder; a bare name is looked for the usual way.
  const bool withFolder = wide.find(L'\\') != std::wstring::npos;
  HMODULE module =
      ::LoadLibraryExW(wide.c_str(), nullptr, withFolder ? LOAD_WITH_ALTERED_SEARCH_PATH : 0);
  if (!module) return Error{MessageOf(::GetLastError()), {}};
  return reinterpret_cast<void*>(module);
}

void* ModuleSymbol(void* module, const char* name) {
  if (!module) return nullptr;
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(module), name));
}

void CloseModule(void* module) {
  if (module) ::FreeLibrary(static_cast<HMODULE>(module));
}

void SendMessagesToLog() {
  // A program without a console has nowhere to write its messages; the file
  // named by GH_LOG takes them, appended, when asked for.
  const wchar_t* log = ::_wgetenv(L"GH_LOG");
  if (!log || !*log) return;
  if (::_wfreopen(log, L"a", stderr)) std::setvbuf(stderr, nullptr, _IONBF, 0);
}

void UseBinaryStandardStreams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
}

}  // namespace gh

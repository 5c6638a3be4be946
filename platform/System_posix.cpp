#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/System.h"

namespace gh {

namespace {

std::error_code LastError(int err = errno) { return {err, std::generic_category()}; }

// A file descriptor closed on every path.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { Close(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  void Reset(int fd) {
    Close();
    fd_ = fd;
  }
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }
  int Close() {
    const int rc = fd_ >= 0 ? ::close(fd_) : 0;
    fd_ = -1;
    return rc;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Reads up to `limit` bytes; false on a read error (errno set).
bool ReadUpTo(int fd, size_t limit, std::string& out) {
  out.clear();
  char buffer[4096];
  while (out.size() < limit) {
    const size_t want = std::min(sizeof buffer, limit - out.size());
    const ssize_t n = ::read(fd, buffer, want);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) break;
    out.append(buffer, static_cast<size_t>(n));
  }
  return true;
}

// Opens for reading without blocking on a pipe, and only a regular file.
std::error_code OpenRegular(const std::string& path, Fd& fd, struct stat& st) {
  fd.Reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.ok()) return LastError();
  if (::fstat(fd.get(), &st) != 0) return LastError();
  if (!S_ISREG(st.st_mode)) return LastError(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
  return {};
}

}  // namespace

Result<std::string> ReadFileStart(const std::string& path, size_t limit) {
  Fd fd;
  struct stat st {};
  if (const auto error = OpenRegular(path, fd, st)) return detail::OpenFailure(path, error);
  std::string bytes;
  if (!ReadUpTo(fd.get(), limit, bytes)) return detail::OpenFailure(path, LastError());
  return bytes;
}

Status CreateNewFile(const std::string& path, std::string_view bytes) {
  auto failed = [&](std::error_code error) {
    return Error{"Cannot create file \"" + path + "\". " + error.message(), error};
  };
  Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (!fd.ok()) return failed(LastError());
  if (!WriteAll(fd.get(), bytes) || ::fsync(fd.get()) != 0) {
    const auto error = LastError();
    fd.Close();
    ::unlink(path.c_str());
    return failed(error);
  }
  if (fd.Close() != 0) {
    const auto error = LastError();
    ::unlink(path.c_str());
    return failed(error);
  }
  return {};
}

Status ReplaceFileKeepingTail(const std::string& path, std::string_view bytes) {
  using detail::ReplaceStep;
  auto failed = [&](ReplaceStep step, std::error_code error) {
    return detail::ReplaceFailure(step, path, error);
  };
  Fd old;
  struct stat oldStat {};
  if (const auto error = OpenRegular(path, old, oldStat)) {
    if (error != std::errc::no_such_file_or_directory)
      return failed(ReplaceStep::OpeningOld, error);
    old.Close();
  } else {
    Fd probe(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK));
    if (!probe.ok()) return failed(ReplaceStep::OpeningOld, LastError());
    if ((oldStat.st_mode & 0222) == 0) return failed(ReplaceStep::OpeningOld, LastError(EACCES));
  }

  std::string temp;
  Fd out;
  for (int i = 0; i < 100 && !out.ok(); ++i) {
    temp = path + ".new" + std::to_string(::getpid()) + "-" + std::to_string(i);
    out.Reset(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!out.ok() && errno != EEXIST) break;
  }
  if (!out.ok()) return failed(ReplaceStep::CreatingNew, LastError());

  auto abandon = [&](std::error_code error, ReplaceStep stage = ReplaceStep::Writing) {
    out.Close();
    ::unlink(temp.c_str());
    return failed(stage, error);
  };
  if (!WriteAll(out.get(), bytes)) return abandon(LastError());
  if (old.ok()) {
    if (::lseek(old.get(), static_cast<off_t>(bytes.size()), SEEK_SET) < 0)
      return abandon(LastError());
    char buffer[65536];
    for (;;) {
      const ssize_t n = ::read(old.get(), buffer, sizeof buffer);
      if (n < 0) {
        if (errno == EINTR) continue;
        return abandon(LastError());
      }
      if (n == 0) break;
      if (!WriteAll(out.get(), std::string_view(buffer, static_cast<size_t>(n))))
        return abandon(LastError());
    }
    if (::fchmod(out.get(), oldStat.st_mode & 07777) != 0) return abandon(LastError());
  }
  if (::fsync(out.get()) != 0) return abandon(LastError());
  if (out.Close() != 0) return abandon(LastError());
  if (::rename(temp.c_str(), path.c_str()) != 0) return abandon(LastError(), ReplaceStep::Renaming);
  return {};
}

Result<FileLock::Outcome> FileLock::Take(const std::string& path) {
  Release();
  auto unavailable = [&](std::error_code error) {
    return Error{"Cannot lock file \"" + path + "\". " + error.message(), error};
  };
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return unavailable(LastError());
  // flock, not fcntl: its lock belongs to this open file, so a second FileLock
  // in the same process is refused as another process would be.
  int rc;
  do {
    rc = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    const int err = errno;
    ::close(fd);
    if (err == EWOULDBLOCK) return Outcome::HeldElsewhere;
    return unavailable(LastError(err));
  }
  handle_ = fd;
  return Outcome::Taken;
}

void FileLock::Release() {
  if (handle_ == -1) return;
  ::close(static_cast<int>(handle_));  // closing the file drops its lock
  handle_ = -1;
}

std::string ShownPath(std::string name) {
  std::replace(name.begin(), name.end(), '\\', '/');
  return name;
}

std::string ProgramFolder() {
  char path[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  std::string full(path, static_cast<size_t>(n));
  const size_t slash = full.rfind('/');
  return slash == std::string::npos ? "." : full.substr(0, slash);
}

bool EnterFolder(const std::string& folder) { return ::chdir(folder.c_str()) == 0; }

std::string LibraryPath(const std::string& folder, const std::string& stem) {
  return folder + "/" + stem + ".so";
}

Result<void*> OpenModule(const std::string& path) {
  void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    const char* why = ::dlerror();
    return Error{why ? why : "unknown error", {}};
  }
  return module;
}

void* ModuleSymbol(void* module, const char* name) {
  return module ? ::dlsym(module, name) : nullptr;
}

void CloseModule(void* module) {
  if (module) ::dlclose(module);
}

void SendMessagesToLog() {}

void UseBinaryStandardStreams() {}  // POSIX streams never translate

}  // namespace gh

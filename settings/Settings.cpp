#include "settings/Settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "settings/ConfigFile.h"
#include "ui/ScreenUnits.h"

namespace gh {

uint8_t Windowed = 1;
uint8_t MusicOn = 1;
uint8_t SoundOn = 1;
uint8_t BossKey = 88;  // F12
std::string Country;
std::string PlayerName;
std::array<THiScores, 10> HighScores{};

const char* const ConfigFileName = "Config.cfg";

namespace {

namespace fs = std::filesystem;

std::string DamagedCopy;
std::string LoadError;

std::string OpenError(const std::string& name, int err) {
  return "Cannot open file \"" + name + "\". " + std::strerror(err);
}

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

// The file a save replaces: a symbolic link named "Config.cfg" keeps pointing
// at the file it names.
fs::path ConfigTarget() {
  const fs::path name = ConfigFileName;
  std::error_code ec;
  if (!fs::is_symlink(name, ec)) return name;
  fs::path target = fs::read_symlink(name, ec);
  if (ec) return name;
  if (target.is_relative()) target = name.parent_path() / target;
  return target;
}

// Creates `path` (which must not exist) holding `bytes`, flushed to the disk.
bool CreateNewFile(const fs::path& path, std::string_view bytes, int& err) {
  Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (!fd.ok()) {
    err = errno;
    return false;
  }
  if (!WriteAll(fd.get(), bytes) || ::fsync(fd.get()) != 0) {
    err = errno;
    fd.Close();
    ::unlink(path.c_str());
    return false;
  }
  if (fd.Close() != 0) {
    err = errno;
    ::unlink(path.c_str());
    return false;
  }
  return true;
}

bool SameContent(const fs::path& path, std::string_view bytes) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  std::string held;
  if (!fd.ok() || !ReadUpTo(fd.get(), bytes.size() + 1, held)) return false;
  return held == bytes;
}

// Keeps the damaged bytes beside the file under a name nothing else uses
// (an earlier copy of other bytes is never overwritten).
std::string KeepDamagedCopy(std::string_view bytes) {
  const std::string base = std::string(ConfigFileName) + ".damaged";
  for (int i = 0; i < 100; ++i) {
    const std::string name = i == 0 ? base : base + "." + std::to_string(i);
    int err = 0;
    if (CreateNewFile(name, bytes, err)) return name;
    if (err != EEXIST) return {};
    if (SameContent(name, bytes)) return name;
  }
  return {};
}

}  // namespace

std::string DamagedCopyName() { return DamagedCopy; }
std::string SettingsError() { return LoadError; }

void ResetHighScores() {
  for (int i = 0; i < 10; ++i) HighScores[i] = THiScores{"Anonymous", (10 - i) * 500};
}

bool SaveSettings(std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  const std::string bytes = WriteConfig(CurrentConfig());
  const fs::path target = ConfigTarget();

  // The old file's bytes past the new end stay: they are copied behind the new
  // content into a fresh file that then replaces the old one in one step, so
  // neither a crash nor a full disk can leave a half-written table.
  Fd old(::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat oldStat {};
  if (!old.ok()) {
    if (errno != ENOENT) return fail(OpenError(ConfigFileName, errno));
  } else if (::fstat(old.get(), &oldStat) != 0) {
    return fail(OpenError(ConfigFileName, errno));
  } else if (!S_ISREG(oldStat.st_mode)) {
    return fail(OpenError(ConfigFileName, S_ISDIR(oldStat.st_mode) ? EISDIR : EINVAL));
  } else {
    // The new file replaces the old one by renaming, which the file's own
    // protection does not stop: a file the player made read-only is left as
    // it is. Without any write permission bit it counts as read-only even for
    // an administrator, who could open it anyway.
    Fd probe(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK));
    if (!probe.ok()) return fail(OpenError(ConfigFileName, errno));
    if ((oldStat.st_mode & 0222) == 0) return fail(OpenError(ConfigFileName, EACCES));
  }

  // The save makes a new file beside the target: when that is refused, the
  // folder is what the player has to fix, not the file.
  auto folderError = [&](int err) {
    std::error_code ec;
    fs::path folder = fs::absolute(target, ec).parent_path();
    if (ec || folder.empty()) folder = target.parent_path();
    return fail("Cannot create a file in the folder \"" + folder.string() + "\". " +
                std::strerror(err));
  };

  fs::path temp;
  Fd out;
  for (int i = 0; i < 100 && !out.ok(); ++i) {
    temp = target;
    temp += ".new" + std::to_string(::getpid()) + "-" + std::to_string(i);
    out.Reset(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!out.ok() && errno != EEXIST) break;
  }
  if (!out.ok()) return folderError(errno);

  auto abandon = [&](int err) {
    out.Close();
    ::unlink(temp.c_str());
    return fail("Cannot write file \"" + std::string(ConfigFileName) + "\". " + std::strerror(err));
  };
  if (!WriteAll(out.get(), bytes)) return abandon(errno);
  if (old.ok()) {
    if (::lseek(old.get(), static_cast<off_t>(bytes.size()), SEEK_SET) < 0) return abandon(errno);
    char buffer[65536];
    for (;;) {
      const ssize_t n = ::read(old.get(), buffer, sizeof buffer);
      if (n < 0) {
        if (errno == EINTR) continue;
        return abandon(errno);
      }
      if (n == 0) break;
      if (!WriteAll(out.get(), std::string_view(buffer, static_cast<size_t>(n))))
        return abandon(errno);
    }
    // The replacement keeps the old file's permissions.
    if (::fchmod(out.get(), oldStat.st_mode & 07777) != 0) return abandon(errno);
  }
  if (::fsync(out.get()) != 0) return abandon(errno);
  if (out.Close() != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    return fail("Cannot write file \"" + std::string(ConfigFileName) + "\". " + std::strerror(err));
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    if (err == EACCES || err == EPERM || err == EROFS) return folderError(err);
    return fail("Cannot write file \"" + std::string(ConfigFileName) + "\". " + std::strerror(err));
  }
  return true;
}

LoadResult LoadSettings() {
  LoadError.clear();
  DamagedCopy.clear();
  // Non-blocking, so that a pipe in its place cannot hold the start-up.
  Fd fd(::open(ConfigFileName, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.ok()) {
    if (errno != ENOENT) {
      LoadError = OpenError(ConfigFileName, errno);
      return LoadResult::Unreadable;
    }
    // First start: the default table, written at once.
    ResetHighScores();
    std::string why;
    if (!SaveSettings(&why)) LoadError = why;
    return LoadResult::Created;
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    LoadError = OpenError(ConfigFileName, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    return LoadResult::Unreadable;
  }
  std::string bytes;
  if (!ReadUpTo(fd.get(), MaxConfigBytes, bytes)) {
    LoadError = OpenError(ConfigFileName, errno);
    return LoadResult::Unreadable;
  }
  fd.Close();

  ConfigData data = CurrentConfig();
  const int fields = ReadConfig(bytes, data);
  ApplyConfig(data);
  if (fields == ConfigFieldCount) return LoadResult::Loaded;

  // A whole file is never longer than MaxConfigBytes needs, so `bytes` is the
  // entire damaged file.
  LoadError = "\"" + std::string(ConfigFileName) + "\" ends after " + std::to_string(bytes.size()) +
              " bytes, before all settings and scores were read";
  DamagedCopy = KeepDamagedCopy(bytes);
  return LoadResult::Damaged;
}

void DrawHighScoreTable() {
  for (int i = 0; i < 10; ++i) {
    const auto y = static_cast<float>(4.1 - 1.43 * i);
    const iColor& colour = i == 0 ? ColourCaption : ColourScoreRow;
    PrintText(std::to_string(i + 1), AlignCentre, false, -7.5f, y, 0.8f, 0.8f, -0.1f, colour);
    PrintText(HighScores[i].Name, AlignLeft, false, -3.8f, y, 0.8f, 0.8f, -0.1f, colour);
    PrintText(std::to_string(HighScores[i].Score), AlignCentre, false, 7.7f, y, 0.8f, 0.8f, -0.1f,
              colour);
  }
}

}  // namespace gh

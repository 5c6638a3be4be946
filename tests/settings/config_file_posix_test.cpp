// "Config.cfg" on POSIX: permissions, symbolic links, and files that cannot be
// read or replaced.
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "SettingsFixture.h"

namespace gh::test {
namespace {

namespace fs = std::filesystem;

using ConfigFile = InTempFolder;
using UnreadableFile = InTempFolder;

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

TEST_F(ConfigFile, SaveKeepsPermissionsAndSymbolicLinks) {
  fs::create_directory("real");
  WriteBytes("real/settings.bin", "");
  fs::create_symlink("real/settings.bin", "Config.cfg");
  ::chmod("real/settings.bin", 0640);
  s_.HighScores = FirstStartHighScores();
  s_.Country = "abc";
  ASSERT_TRUE(Save());
  EXPECT_TRUE(fs::is_symlink("Config.cfg"));
  EXPECT_EQ(ReadBytes("real/settings.bin").substr(4, 4), Bytes({0x03, 0x9E, 0x9D, 0x9C}));
  struct stat st {};
  ASSERT_EQ(::stat("real/settings.bin", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  // No temporary file is left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 2);
  EXPECT_EQ(std::distance(fs::directory_iterator("real"), fs::directory_iterator()), 1);
}

// SaveSettings as an ordinary user sees it: permission bits do not bind root,
// so as root it runs in a child that gives up its rights. The result and the
// message come back.
std::pair<bool, std::string> SaveAsOrdinaryUser(const Settings& settings) {
  auto save = [&](std::string& why) {
    const Status saved = SaveSettings(settings);
    if (!saved) why = saved.error().message;
    return saved.ok();
  };
  if (::geteuid() != 0) {
    std::string why;
    const bool ok = save(why);
    return {ok, why};
  }
  int fds[2];
  if (::pipe(fds) != 0) return {true, "no pipe"};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    std::string out = "X";
    if (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0) {
      std::string why;
      out = (save(why) ? "1" : "0") + why;
    }
    [[maybe_unused]] ssize_t n = ::write(fds[1], out.data(), out.size());
    ::_exit(0);
  }
  ::close(fds[1]);
  std::string out;
  char buffer[512];
  ssize_t n;
  while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0)
    out.append(buffer, static_cast<size_t>(n));
  ::close(fds[0]);
  ::waitpid(pid, nullptr, 0);
  if (out.empty() || out[0] == 'X') return {true, "could not become an ordinary user"};
  return {out[0] == '1', out.substr(1)};
}

TEST_F(ConfigFile, AProtectedFileOrFolderIsLeftAsItIsAndTheMessageNamesWhatToFix) {
  // The folder must be reachable by the ordinary user.
  ASSERT_EQ(::chmod(folder_.c_str(), 0755), 0);
  struct Case {
    const char* what;
    mode_t fileMode, folderMode;
    std::string named;     // in the message
    std::string notNamed;  // never in the message
  };
  const Case cases[] = {
      {"a read-only file", 0444, 0755, "Cannot open file \"Config.cfg\". Permission denied",
       "folder"},
      {"a writable file in a folder that is not", 0666, 0555,
       "Cannot create a file in the folder \"" + folder_.string() + "\". Permission denied",
       "Cannot open file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ::chmod(folder_.c_str(), 0755);
    fs::remove("Config.cfg");
    s_.HighScores = FirstStartHighScores();
    s_.Country = "before";
    ASSERT_TRUE(Save());
    const std::string before = FileBytes();
    ASSERT_EQ(::chmod("Config.cfg", c.fileMode), 0);
    ASSERT_EQ(::chmod(folder_.c_str(), c.folderMode), 0);
    s_.Country = "after";
    const auto [saved, why] = SaveAsOrdinaryUser(s_);
    ::chmod(folder_.c_str(), 0755);
    EXPECT_FALSE(saved) << why;
    EXPECT_NE(why.find(c.named), std::string::npos) << why;
    EXPECT_EQ(why.find(c.notNamed), std::string::npos) << why;
    EXPECT_EQ(FileBytes(), before);
    struct stat st {};
    ASSERT_EQ(::stat("Config.cfg", &st), 0);
    EXPECT_EQ(st.st_mode & 0777, c.fileMode);
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1)
        << "a temporary file was left";
  }
}

TEST_F(UnreadableFile, AFileThatCannotBeReadIsLeftAloneAndDoesNotHang) {
  struct Case {
    const char* what;
    void (*make)();
  };
  const Case cases[] = {
      {"a folder", [] { fs::create_directory("Config.cfg"); }},
      {"a pipe nobody writes to", [] { ASSERT_EQ(::mkfifo("Config.cfg", 0644), 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all("Config.cfg");
    c.make();
    ResetToStartValues();
    s_.Country = "kept";
    s_.HighScores[0].Name = "kept too";
    const Settings before = s_;
    EXPECT_EQ(Load(), std::nullopt);
    EXPECT_NE(loadError_.find("Config.cfg"), std::string::npos);
    EXPECT_EQ(s_, before);
    std::string why;
    EXPECT_FALSE(Save(&why));
    EXPECT_NE(why.find("Config.cfg"), std::string::npos);
    EXPECT_FALSE(fs::is_regular_file("Config.cfg"));
    EXPECT_FALSE(fs::exists("Config.cfg.damaged"));
  }
}

}  // namespace
}  // namespace gh::test

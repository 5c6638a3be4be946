// "Config.cfg" on Windows: the read-only attribute, a file another program
// holds open, attributes kept, names beyond the ANSI code page, and files that
// cannot be read. The POSIX twins are in config_file_posix_test.cpp.
#include <windows.h>

#include <optional>

#include "SettingsFixture.h"
#include "platform/System.h"

namespace gh::test {
namespace {

namespace fs = std::filesystem;

using ConfigFile = InTempFolder;
using UnreadableFile = InTempFolder;

DWORD Attributes(const char* name) { return ::GetFileAttributesA(name); }

size_t Entries() {
  return static_cast<size_t>(std::distance(fs::directory_iterator("."), fs::directory_iterator()));
}

// Another program holding the file open without sharing it (an editor, a
// backup or a virus scanner).
class HeldOpen {
 public:
  explicit HeldOpen(const char* name)
      : h_(::CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~HeldOpen() {
    if (h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_);
  }
  bool ok() const { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};

TEST_F(ConfigFile, AReadOnlyOrHeldFileIsLeftAsItIsAndTheMessageNamesTheFile) {
  struct Case {
    const char* what;
    bool readOnly, held;
    std::string named;
  };
  const Case cases[] = {
      {"a read-only file", true, false, "Cannot open file \"Config.cfg\". Permission denied"},
      {"a file another program holds open", false, true, "Cannot open file \"Config.cfg\"."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ::SetFileAttributesA("Config.cfg", FILE_ATTRIBUTE_NORMAL);
    fs::remove("Config.cfg");
    s_.HighScores = FirstStartHighScores();
    s_.Country = "before";
    ASSERT_TRUE(Save());
    const std::string before = FileBytes();
    if (c.readOnly) {
      ASSERT_TRUE(::SetFileAttributesA("Config.cfg", FILE_ATTRIBUTE_READONLY));
    }
    {
      std::optional<HeldOpen> holder;
      if (c.held) {
        holder.emplace("Config.cfg");
        ASSERT_TRUE(holder->ok());
      }
      s_.Country = "after";
      std::string why;
      EXPECT_FALSE(Save(&why));
      EXPECT_NE(why.find(c.named), std::string::npos) << why;
      EXPECT_EQ(why.find("folder"), std::string::npos) << why;
    }
    EXPECT_EQ(FileBytes(), before);
    EXPECT_EQ((Attributes("Config.cfg") & FILE_ATTRIBUTE_READONLY) != 0, c.readOnly);
    EXPECT_EQ(Entries(), 1u) << "a temporary file was left";
  }
  ::SetFileAttributesA("Config.cfg", FILE_ATTRIBUTE_NORMAL);
}

TEST_F(ConfigFile, SaveKeepsTheFilesAttributesAndLeavesNoTemporaryFile) {
  s_.HighScores = FirstStartHighScores();
  ASSERT_TRUE(Save());
  ASSERT_TRUE(::SetFileAttributesA("Config.cfg", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  if (!(Attributes("Config.cfg") & FILE_ATTRIBUTE_HIDDEN))
    GTEST_SKIP() << "this file system keeps no hidden attribute (Wine without extended attributes)";
  s_.Country = "abc";
  std::string why;
  ASSERT_TRUE(Save(&why)) << why;
  EXPECT_EQ(FileBytes().substr(4, 4), std::string("\x03\x9E\x9D\x9C", 4));
  EXPECT_TRUE(Attributes("Config.cfg") & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(Entries(), 1u);
  ::SetFileAttributesA("Config.cfg", FILE_ATTRIBUTE_NORMAL);
}

TEST_F(UnreadableFile, AFileThatCannotBeReadIsLeftAloneAndDoesNotHang) {
  struct Case {
    const char* what;
    void (*make)();
  };
  const Case cases[] = {
      {"a folder", [] { fs::create_directory("Config.cfg"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all("Config.cfg");
    c.make();
    ResetToStartValues();
    s_.Country = "kept";
    EXPECT_EQ(Load(), std::nullopt);
    EXPECT_NE(loadError_.find("Config.cfg"), std::string::npos);
    EXPECT_EQ(s_.Country, "kept");
    std::string why;
    EXPECT_FALSE(Save(&why));
    EXPECT_NE(why.find("Config.cfg"), std::string::npos);
    EXPECT_FALSE(fs::is_regular_file("Config.cfg"));
    EXPECT_FALSE(fs::exists("Config.cfg.damaged"));
  }
  // A file held open by another program is read all the same: the game only
  // reads, and shares the file while it does.
  fs::remove_all("Config.cfg");
  s_.HighScores = FirstStartHighScores();
  ASSERT_TRUE(Save());
  {
    HANDLE h = ::CreateFileA("Config.cfg", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ResetToStartValues();
    EXPECT_EQ(Load(), LoadResult::Loaded) << loadError_;
    EXPECT_EQ(s_.HighScores[0].Name, "Anonymous");
    ::CloseHandle(h);
  }
}

// Paths cross the seam as UTF-8 and reach Windows as UTF-16: a name beyond the
// ANSI code page is the same name on the disk, not one mangled through '?'.
TEST(WindowsSeam, UnicodeNamesAreTheSameFilesOnTheDisk) {
  const std::string name = "gh-\xC3\x9Cmlaut-\xE5\x90\x8D\xE5\x89\x8D.cfg";  // Ü, 名前
  const fs::path wide =
      fs::temp_directory_path() /
      fs::path(std::u8string(reinterpret_cast<const char8_t*>(name.data()), name.size()));
  std::error_code ec;
  fs::remove(wide, ec);
  const std::string path = (fs::temp_directory_path() / "").string() + name;
  ASSERT_TRUE(ReplaceFileKeepingTail(path, "first, longer"));
  ASSERT_TRUE(ReplaceFileKeepingTail(path, "second"));
  EXPECT_TRUE(fs::is_regular_file(wide));
  const Result<std::string> bytes = ReadFileStart(path, 100);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(*bytes, "second longer");
  const Status created = CreateNewFile(path, "x");
  ASSERT_FALSE(created);
  EXPECT_EQ(created.error().code, std::errc::file_exists);
  fs::remove(wide, ec);
}

TEST(WindowsSeam, TheProgramsFolderAndItsLibraries) {
  const std::string folder = ProgramFolder();
  ASSERT_NE(folder, ".");
  EXPECT_TRUE(fs::path(folder).is_absolute()) << folder;
  EXPECT_TRUE(fs::exists(fs::path(folder) / "test_settings.exe")) << folder;
  EXPECT_EQ(LibraryPath("C:\\Games", "system"), "C:\\Games\\system.dll");
  const Result<void*> missing = OpenModule(LibraryPath(folder, "no-such-library"));
  ASSERT_FALSE(missing);
  EXPECT_FALSE(missing.error().message.empty());
  const Result<void*> opened = OpenModule("kernel32.dll");
  ASSERT_TRUE(opened) << opened.error().message;
  void* kernel = *opened;
  EXPECT_NE(ModuleSymbol(kernel, "GetTickCount64"), nullptr);
  EXPECT_EQ(ModuleSymbol(kernel, "NoSuchFunction"), nullptr);
  CloseModule(kernel);
}

}  // namespace
}  // namespace gh::test

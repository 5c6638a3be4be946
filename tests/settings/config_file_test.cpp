// "Config.cfg": the exact bytes written, what loads back, and what happens to a
// damaged file. What a protected or unreadable file does differs between
// systems: config_file_posix_test.cpp, config_file_win32_test.cpp.
#include <random>
#include <vector>

#include "SettingsFixture.h"
#include "settings/ConfigFile.h"

namespace gh::test {
namespace {

namespace fs = std::filesystem;

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

// Builds a file field by field, remembering where each field ends.
struct FileBuilder {
  std::string bytes;
  std::vector<size_t> ends;

  FileBuilder& Byte(int b) {
    bytes.push_back(static_cast<char>(b));
    ends.push_back(bytes.size());
    return *this;
  }
  FileBuilder& Text(const std::string& s) {
    bytes.push_back(static_cast<char>(s.size()));
    for (unsigned char c : s) bytes.push_back(static_cast<char>(c ^ 0xFF));
    ends.push_back(bytes.size());
    return *this;
  }
  FileBuilder& Score(int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(u >> (8 * i)));
    ends.push_back(bytes.size());
    return *this;
  }
};

using ConfigFile = InTempFolder;

TEST_F(ConfigFile, FirstStartWritesTheDefaultFile) {
  EXPECT_EQ(Load(), LoadResult::Created);
  ASSERT_TRUE(Save());

  const std::string anonymous = Bytes({9, 0xBE, 0x91, 0x90, 0x91, 0x86, 0x92, 0x90, 0x8A, 0x8C});
  const std::vector<std::string> scores = {Bytes({0x88, 0x13, 0, 0}), Bytes({0x94, 0x11, 0, 0}),
                                           Bytes({0xA0, 0x0F, 0, 0}), Bytes({0xAC, 0x0D, 0, 0}),
                                           Bytes({0xB8, 0x0B, 0, 0}), Bytes({0xC4, 0x09, 0, 0}),
                                           Bytes({0xD0, 0x07, 0, 0}), Bytes({0xDC, 0x05, 0, 0}),
                                           Bytes({0xE8, 0x03, 0, 0}), Bytes({0xF4, 0x01, 0, 0})};
  std::string expected = Bytes({0x01, 0x01, 0x01, 0x58, 0x00});
  for (const auto& score : scores) expected += anonymous + score;
  ASSERT_EQ(expected.size(), 145u);
  EXPECT_EQ(FileBytes(), expected);

  EXPECT_EQ(s_.HighScores[0].Name, "Anonymous");
  EXPECT_EQ(s_.HighScores[0].Score, 5000);
  EXPECT_EQ(s_.HighScores[9].Score, 500);
  EXPECT_EQ(s_.Windowed, 1);
  EXPECT_EQ(s_.BossKey, 88);

  // The second start reads the same file back.
  ResetToStartValues();
  EXPECT_EQ(Load(), LoadResult::Loaded);
  EXPECT_EQ(s_.HighScores[4].Name, "Anonymous");
  EXPECT_EQ(s_.HighScores[4].Score, 3000);
}

TEST_F(ConfigFile, AFirstStartWritesNothingUntilTheCallerSaves) {
  EXPECT_EQ(Load(), LoadResult::Created);
  EXPECT_FALSE(std::filesystem::exists(folder_ / "Config.cfg"));
  EXPECT_EQ(s_, Settings{});  // the defaults are in place all the same

  ASSERT_TRUE(Save());
  EXPECT_EQ(FileBytes(), WriteConfig(Settings{}));
}

TEST_F(ConfigFile, StringsAreStoredComplementedAfterTheirLength) {
  s_.HighScores = FirstStartHighScores();
  s_.Country = "abc";
  ASSERT_TRUE(Save());
  EXPECT_EQ(FileBytes().substr(4, 4), Bytes({0x03, 0x9E, 0x9D, 0x9C}));

  // Bytes with the high bit set survive the round trip.
  s_.Country = "\xE9t\xFF\x01";
  ASSERT_TRUE(Save());
  s_.Country.clear();
  EXPECT_EQ(Load(), LoadResult::Loaded);
  EXPECT_EQ(s_.Country, "\xE9t\xFF\x01");
}

TEST_F(ConfigFile, ScoresAreSignedLittleEndian) {
  s_.HighScores = FirstStartHighScores();
  s_.HighScores[0].Score = -2;
  s_.HighScores[1].Score = 0x12345678;
  s_.HighScores[9].Score = INT32_MIN;
  ASSERT_TRUE(Save());
  const std::string bytes = FileBytes();
  // Entry 0's score follows "Anonymous" at offset 5 + 10.
  EXPECT_EQ(bytes.substr(15, 4), Bytes({0xFE, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(bytes.substr(29, 4), Bytes({0x78, 0x56, 0x34, 0x12}));
  ResetToStartValues();
  ASSERT_EQ(Load(), LoadResult::Loaded);
  EXPECT_EQ(s_.HighScores[0].Score, -2);
  EXPECT_EQ(s_.HighScores[1].Score, 0x12345678);
  EXPECT_EQ(s_.HighScores[9].Score, INT32_MIN);
}

TEST_F(ConfigFile, SettingBytesOtherThanOneLoadAsZeroAndSaveAsZero) {
  struct Case {
    int stored;
    uint8_t loaded;
  };
  for (const Case c : {Case{0, 0}, Case{1, 1}, Case{2, 0}, Case{0xFF, 0}, Case{0x81, 0}}) {
    SCOPED_TRACE(c.stored);
    FileBuilder f;
    f.Byte(c.stored).Byte(c.stored).Byte(c.stored).Byte(c.stored).Text("");
    for (int i = 0; i < 10; ++i) f.Text("x").Score(i);
    WriteBytes("Config.cfg", f.bytes);
    ResetToStartValues();
    ASSERT_EQ(Load(), LoadResult::Loaded);
    EXPECT_EQ(s_.Windowed, c.loaded);
    EXPECT_EQ(s_.MusicOn, c.loaded);
    EXPECT_EQ(s_.SoundOn, c.loaded);
    EXPECT_EQ(s_.BossKey, c.stored);  // the boss key is a scan code, kept as it is
    ASSERT_TRUE(Save());
    EXPECT_EQ(FileBytes().substr(0, 4), Bytes({c.loaded, c.loaded, c.loaded, c.stored}));
  }
}

TEST_F(ConfigFile, ShorterStringsLeaveTheOldTailAndLoadBackExactly) {
  s_.HighScores = FirstStartHighScores();
  s_.Country = "Switzerland";
  ASSERT_TRUE(Save());
  const std::string before = FileBytes();

  s_.Country = "UK";
  s_.HighScores[3] = {"Bo", 4242};
  ASSERT_TRUE(Save());
  const std::string after = FileBytes();
  // Nothing was cut: the old length stays and the bytes past the new end are
  // the old file's.
  ASSERT_EQ(after.size(), before.size());
  const size_t newEnd = before.size() - 9 - 7;  // "Switzerland" -> "UK", "Anonymous" -> "Bo"
  EXPECT_EQ(after.substr(newEnd), before.substr(newEnd));
  EXPECT_EQ(after.substr(4, 3), Bytes({2, 'U' ^ 0xFF, 'K' ^ 0xFF}));

  const auto saved = s_.HighScores;
  ResetToStartValues();
  ASSERT_EQ(Load(), LoadResult::Loaded);
  EXPECT_EQ(s_.Country, "UK");
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(s_.HighScores[i].Name, saved[i].Name) << i;
    EXPECT_EQ(s_.HighScores[i].Score, saved[i].Score) << i;
  }

  // A longer string later writes over part of the tail; the file never shrinks.
  s_.Country = "Switzerland!";
  ASSERT_TRUE(Save());
  EXPECT_EQ(FileBytes().size(), before.size());
  ResetToStartValues();
  ASSERT_EQ(Load(), LoadResult::Loaded);
  EXPECT_EQ(s_.Country, "Switzerland!");
  EXPECT_EQ(s_.HighScores[3].Name, "Bo");
}

TEST_F(ConfigFile, SaveWithoutAFileKeepsTheTableInMemory) {
  // A score entered while the file is missing must reach the new file as it is.
  s_.HighScores = FirstStartHighScores();
  s_.HighScores[0] = {"Zed", 123456};
  s_.Country = "NZ";
  ASSERT_FALSE(fs::exists("Config.cfg"));
  ASSERT_TRUE(Save());
  ResetToStartValues();
  ASSERT_EQ(Load(), LoadResult::Loaded);
  EXPECT_EQ(s_.HighScores[0].Name, "Zed");
  EXPECT_EQ(s_.HighScores[0].Score, 123456);
  EXPECT_EQ(s_.HighScores[1].Name, "Anonymous");
  EXPECT_EQ(s_.Country, "NZ");
}

TEST_F(ConfigFile, ClearingTheTableOnlyChangesMemory) {
  ASSERT_EQ(Load(), LoadResult::Created);
  s_.HighScores[0] = {"Kept", 99999};
  ASSERT_TRUE(Save());
  const std::string onDisk = FileBytes();
  s_.HighScores = FirstStartHighScores();
  EXPECT_EQ(s_.HighScores[0].Name, "Anonymous");
  EXPECT_EQ(FileBytes(), onDisk);
}

TEST_F(ConfigFile, StringsLongerThan255KeepTheir255FirstCharacters) {
  // The length byte holds 8 bits; a longer string must not wrap to a short one.
  s_.HighScores = FirstStartHighScores();
  s_.Country = std::string(255, 'a') + "bcdef";
  s_.HighScores[2].Name = std::string(256, 'n');
  ASSERT_TRUE(Save());
  EXPECT_EQ(static_cast<uint8_t>(FileBytes()[4]), 255);
  ResetToStartValues();
  ASSERT_EQ(Load(), LoadResult::Loaded);
  EXPECT_EQ(s_.Country, std::string(255, 'a'));
  EXPECT_EQ(s_.HighScores[2].Name, std::string(255, 'n'));
  EXPECT_EQ(s_.HighScores[3].Name, "Anonymous");
}

// ---- damaged files ----------------------------------------------------------------

// A whole file with every field different from the start values.
FileBuilder Original() {
  FileBuilder f;
  f.Byte(0).Byte(0).Byte(1).Byte(63).Text("Norway");
  for (int i = 0; i < 10; ++i) f.Text("Player" + std::to_string(i)).Score(9000 - 700 * i);
  return f;
}

// Checks that every field that ends within `length` bytes holds the original's
// value and every later one the first start's (never an empty table).
void ExpectReadUpTo(const Settings& settings, const FileBuilder& f, size_t length) {
  auto read = [&](size_t field) { return f.ends[field] <= length; };
  EXPECT_EQ(settings.Windowed, read(0) ? 0 : 1);
  EXPECT_EQ(settings.MusicOn, read(1) ? 0 : 1);
  EXPECT_EQ(settings.SoundOn, 1);
  EXPECT_EQ(settings.BossKey, read(3) ? 63 : 88);
  EXPECT_EQ(settings.Country, read(4) ? "Norway" : "");
  for (size_t i = 0; i < 10; ++i) {
    EXPECT_EQ(settings.HighScores[i].Name,
              read(5 + 2 * i) ? "Player" + std::to_string(i) : "Anonymous")
        << i;
    EXPECT_EQ(settings.HighScores[i].Score,
              read(6 + 2 * i) ? 9000 - 700 * static_cast<int>(i) : 5000 - 500 * static_cast<int>(i))
        << i;
  }
}

class DamagedFile : public InTempFolder {
 protected:
  // Loads `bytes` as a damaged file and checks what must hold for every damage:
  // the copy beside it, a save that works and keeps the copy, nothing else lost.
  void LoadDamaged(const std::string& bytes) {
    fs::remove("Config.cfg.damaged");
    WriteBytes("Config.cfg", bytes);
    WriteBytes("other.txt", "not ours");
    ResetToStartValues();
    ASSERT_EQ(Load(), LoadResult::Damaged);
    EXPECT_EQ(damagedCopy_, "Config.cfg.damaged");
    EXPECT_EQ(ReadBytes("Config.cfg.damaged"), bytes);
  }
  void SaveAndReload() {
    const Settings inMemory = s_;
    ASSERT_TRUE(Save());
    ResetToStartValues();
    ASSERT_EQ(Load(), LoadResult::Loaded);
    EXPECT_TRUE(s_ == inMemory);
    EXPECT_EQ(ReadBytes("other.txt"), "not ours");
  }
};

TEST_F(DamagedFile, CutAtEveryByteKeepsWhatWasReadAndFirstStartValuesForTheRest) {
  const FileBuilder f = Original();
  for (size_t length = 0; length < f.bytes.size(); ++length) {
    SCOPED_TRACE("cut at " + std::to_string(length));
    const std::string cut = f.bytes.substr(0, length);
    LoadDamaged(cut);
    ExpectReadUpTo(s_, f, length);
    SaveAndReload();
    EXPECT_EQ(ReadBytes("Config.cfg.damaged"), cut);
    if (HasFatalFailure()) return;
  }
}

TEST_F(DamagedFile, LengthBytesPromisingMoreThanThereIs) {
  struct Case {
    const char* what;
    std::string bytes;
    int fieldsRead;
  };
  FileBuilder whole = Original();
  std::string lastNameTooLong = whole.bytes.substr(0, whole.ends[22]);
  lastNameTooLong += Bytes({200, 0x90, 0x90});
  lastNameTooLong += std::string(150, '\0');
  const std::vector<Case> cases = {
      {"country of 200 with 10 bytes", Bytes({1, 1, 1, 88, 200}) + std::string(10, '\x9E'), 4},
      {"country of 255 at the very end", Bytes({1, 0, 1, 88, 255}), 4},
      {"last name of 200 with 152 bytes", lastNameTooLong, 23},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LoadDamaged(c.bytes);
    Settings expected = Settings{};
    EXPECT_EQ(ReadConfig(c.bytes, expected), c.fieldsRead);
    EXPECT_TRUE(s_ == expected);
    SaveAndReload();
  }
}

TEST_F(DamagedFile, RandomBytesNeverCrashAndNeverLoseTheFile) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 120; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    std::string bytes(random() % 400, '\0');
    for (char& b : bytes) b = static_cast<char>(random());
    fs::remove("Config.cfg.damaged");
    WriteBytes("Config.cfg", bytes);
    ResetToStartValues();
    const std::optional<LoadResult> result = Load();
    ASSERT_TRUE(result == LoadResult::Loaded || result == LoadResult::Damaged);
    EXPECT_LE(s_.Windowed, 1);
    EXPECT_LE(s_.MusicOn, 1);
    EXPECT_LE(s_.SoundOn, 1);
    EXPECT_EQ(fs::exists("Config.cfg.damaged"), result == LoadResult::Damaged);
    if (result == LoadResult::Damaged) {
      EXPECT_EQ(ReadBytes("Config.cfg.damaged"), bytes);
    }
    // A save keeps every byte past what it writes.
    const Settings inMemory = s_;
    const std::string written = WriteConfig(inMemory);
    ASSERT_TRUE(Save());
    const std::string after = FileBytes();
    EXPECT_EQ(after.substr(0, written.size()), written);
    if (bytes.size() > written.size()) {
      EXPECT_EQ(after.substr(written.size()), bytes.substr(written.size()));
    }
    ResetToStartValues();
    ASSERT_EQ(Load(), LoadResult::Loaded);
    EXPECT_TRUE(s_ == inMemory);
  }
}

TEST_F(DamagedFile, AnEarlierCopyOfOtherBytesIsNeverOverwritten) {
  WriteBytes("Config.cfg.damaged", "an older damaged file");
  WriteBytes("Config.cfg", Bytes({1, 1}));
  ASSERT_EQ(Load(), LoadResult::Damaged);
  EXPECT_EQ(damagedCopy_, "Config.cfg.damaged.1");
  EXPECT_EQ(ReadBytes("Config.cfg.damaged.1"), Bytes({1, 1}));
  EXPECT_EQ(ReadBytes("Config.cfg.damaged"), "an older damaged file");

  // The same damaged bytes again reuse their copy instead of piling up copies.
  WriteBytes("Config.cfg", Bytes({1, 1}));
  ASSERT_EQ(Load(), LoadResult::Damaged);
  EXPECT_EQ(damagedCopy_, "Config.cfg.damaged.1");
  EXPECT_FALSE(fs::exists("Config.cfg.damaged.2"));
}

}  // namespace
}  // namespace gh::test

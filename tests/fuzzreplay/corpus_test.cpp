// Replays the fuzz corpora of the picture header reader, the help text, the
// text box and the recording reader through the fuzz targets' own checks, and
// a table of broken pictures through the size reader.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "FuzzEntries.h"
#include "engine/ScreenUnits.h"

namespace {

using Check = std::string (*)(const uint8_t*, size_t);

int Replay(const std::string& target, Check check) {
  const std::filesystem::path dir = std::filesystem::path(GH_SOURCE_DIR) / "fuzz/corpus" / target;
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(check(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), "")
        << entry.path();
    ++files;
  }
  return files;
}

TEST(FuzzCorpus, EveryFileIsHandled) {
  gh::fuzz::SetEditDataFolder(GH_BIN_DIR);
  const struct {
    const char* target;
    Check check;
  } targets[] = {
      {"image_header", gh::fuzz::CheckImageHeader},
      {"help_text", gh::fuzz::CheckHelpText},
      {"edit_typing", gh::fuzz::CheckEditTyping},
      {"recording", gh::fuzz::CheckRecordingBytes},
  };
  for (const auto& t : targets) EXPECT_GT(Replay(t.target, t.check), 0) << t.target;
}

class BrokenPicture : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        std::filesystem::temp_directory_path() /
        ("gh_broken_pictures_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Write(const std::string& name, const std::string& bytes) {
    const auto path = dir_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
  std::filesystem::path dir_;
};

// Every broken picture reports a read error and leaves no size; none hangs.
TEST_F(BrokenPicture, ReportsAReadErrorAndNoSize) {
  const std::string soi("\xFF\xD8", 2);
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty.png", ""},
      {"short.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x01", 19)},
      {"empty.jpg", ""},
      {"only_soi.jpg", soi},
      {"segment_length_zero.jpg", soi + std::string("\xFF\xE0\x00\x00", 4)},
      {"segment_length_one.jpg", soi + std::string("\xFF\xE0\x00\x01", 4)},
      {"segment_past_end.jpg", soi + std::string("\xFF\xE0\xFF\xF0", 4)},
      {"not_a_marker.jpg", soi + std::string("\x12\x34\x00\x10", 4)},
      {"fill_bytes_to_end.jpg", soi + std::string(5000, '\xFF')},
      {"frame_header_cut.jpg", soi + std::string("\xFF\xC0\x00\x11\x08\x01", 6)},
      {"short_not_jpeg.jpg", std::string(100, 'x')},
  };
  for (const auto& c : cases) {
    const std::string path = Write(c.name, c.bytes);
    const gh::Result<gh::ImageSize> size = gh::GetImageSize(path);
    ASSERT_FALSE(size) << c.name;
    EXPECT_EQ(size.error().message.rfind("Stream read error", 0), 0u) << c.name;
  }
}

TEST_F(BrokenPicture, AMissingFileIsNamedInTheMessage) {
  const gh::Result<gh::ImageSize> size = gh::GetImageSize((dir_ / "gone.png").string());
  ASSERT_FALSE(size) << "no error for a missing file";
  EXPECT_NE(size.error().message.find("gone.png"), std::string::npos) << size.error().message;
}

}  // namespace

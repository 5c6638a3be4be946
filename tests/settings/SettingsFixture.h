// Each test runs in a fresh empty folder with a fresh Settings.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>

#include "settings/Settings.h"

namespace gh::test {

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class InTempFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    // A new folder of the system's temporary folder, taken only if nobody had it.
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int i = 0; i < 100 && folder_.empty(); ++i) {
      const auto name = std::filesystem::temp_directory_path() /
                        ("gh-settings-" + std::to_string(random() % 1000000000));
      std::error_code ec;
      if (std::filesystem::create_directory(name, ec)) folder_ = name;
    }
    ASSERT_FALSE(folder_.empty()) << "no temporary folder";
    std::filesystem::current_path(folder_);
  }
  void TearDown() override {
    std::filesystem::current_path(previous_);
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  std::string FileBytes() const { return ReadBytes(folder_ / "Config.cfg"); }

  // A new process's settings, before anything is read.
  void ResetToStartValues() { s_ = Settings{}; }
  // What loading "Config.cfg" into s_ found; none when the file could not be
  // read (loadError_ says why).
  std::optional<LoadResult> Load() {
    loadError_.clear();
    damagedCopy_.clear();
    const Result<SettingsLoad> loaded = LoadSettings(s_);
    if (!loaded) {
      loadError_ = loaded.error().message;
      return std::nullopt;
    }
    damagedCopy_ = loaded->damagedCopy;
    return loaded->result;
  }
  // Saves s_; false with why in `why`, if given.
  bool Save(std::string* why = nullptr) {
    const Status saved = SaveSettings(s_);
    if (!saved && why) *why = saved.error().message;
    return saved.ok();
  }

  Settings s_;
  std::string loadError_;
  std::string damagedCopy_;

  std::filesystem::path previous_;
  std::filesystem::path folder_;
};

}  // namespace gh::test

// Replays the fuzz corpus of the Config.cfg reader through the fuzz target's
// own checks.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "FuzzEntries.h"

namespace {

TEST(ConfigCorpus, EveryFileIsHandled) {
  const std::filesystem::path dir = std::filesystem::path(GH_SOURCE_DIR) / "fuzz/corpus/config";
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(
        gh::fuzz::CheckConfigBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()),
        "")
        << entry.path();
    ++files;
  }
  EXPECT_GT(files, 0) << "no corpus in " << dir;
}

}  // namespace

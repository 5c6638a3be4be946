// The submission fuzz target's corpus, replayed through its own check.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "FuzzEntries.h"

namespace {

TEST(SubmissionCorpus, EveryFileIsHandled) {
  const auto dir = std::filesystem::path(GH_SOURCE_DIR) / "fuzz/corpus/submission";
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(
        gh::fuzz::CheckSubmission(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), "")
        << entry.path();
    ++files;
  }
  EXPECT_GT(files, 0);
}

}  // namespace

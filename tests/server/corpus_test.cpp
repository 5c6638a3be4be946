// The server's fuzz targets' corpora, replayed through their own checks.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "FuzzEntries.h"

namespace {

TEST(ServerFuzzCorpora, EveryFileIsHandled) {
  const struct {
    const char* corpus;
    std::string (*check)(const uint8_t*, size_t);
  } targets[] = {
      {"submission", gh::fuzz::CheckSubmission},
      {"client_address", gh::fuzz::CheckClientAddress},
      {"upload", gh::fuzz::CheckUpload},
  };
  for (const auto& t : targets) {
    const auto dir = std::filesystem::path(GH_SOURCE_DIR) / "fuzz/corpus" / t.corpus;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      std::ifstream in(entry.path(), std::ios::binary);
      const std::string bytes(std::istreambuf_iterator<char>(in), {});
      EXPECT_EQ(t.check(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), "")
          << entry.path();
      ++files;
    }
    EXPECT_GT(files, 0) << t.corpus;
  }
}

}  // namespace

// libFuzzer target: the score server's handling of a recording's upload.
#include <cstdio>
#include <cstdlib>

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string fault = gh::fuzz::CheckUpload(data, size);
  if (!fault.empty()) {
    std::fprintf(stderr, "upload: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}

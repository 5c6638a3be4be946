// libFuzzer target: the score server's decoding of a submission and its split
// into fields.
#include <cstdio>
#include <cstdlib>

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string fault = gh::fuzz::CheckSubmission(data, size);
  if (!fault.empty()) {
    std::fprintf(stderr, "submission: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}

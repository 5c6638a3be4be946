// libFuzzer target: the picture size reader (PNG and JPEG headers).
#include <cstdio>
#include <cstdlib>

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string fault = gh::fuzz::CheckImageHeader(data, size);
  if (!fault.empty()) {
    std::fprintf(stderr, "picture header: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}

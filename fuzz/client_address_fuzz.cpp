// libFuzzer target: the score server's reading of X-Forwarded-For behind
// trusted proxies, and its rate groups.
#include <cstdio>
#include <cstdlib>

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string fault = gh::fuzz::CheckClientAddress(data, size);
  if (!fault.empty()) {
    std::fprintf(stderr, "client address: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}

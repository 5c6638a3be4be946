// libFuzzer target: the score server's version reply and the submission built
// from its token.
#include <cstdio>
#include <cstdlib>

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string fault = gh::fuzz::CheckVersionReply(data, size);
  if (!fault.empty()) {
    std::fprintf(stderr, "version reply: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}

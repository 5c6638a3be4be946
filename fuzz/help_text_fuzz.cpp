// libFuzzer target: the help text's line splitting.
#include <cstdio>
#include <cstdlib>

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string fault = gh::fuzz::CheckHelpText(data, size);
  if (!fault.empty()) {
    std::fprintf(stderr, "help text: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}

// libFuzzer target: the "Config.cfg" reader and writer.
#include <cstdio>
#include <cstdlib>

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string fault = gh::fuzz::CheckConfigBytes(data, size);
  if (!fault.empty()) {
    std::fprintf(stderr, "Config.cfg: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}

// libFuzzer target: the recorded game's reader.
#include <cstdio>
#include <cstdlib>

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string fault = gh::fuzz::CheckRecordingBytes(data, size);
  if (!fault.empty()) {
    std::fprintf(stderr, "recording: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}

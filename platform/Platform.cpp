#include "platform/Platform.h"

#include <cstdlib>

namespace gh {

namespace {
Platform* current = nullptr;
}

Platform& ThePlatform() {
  if (!current) std::abort();  // set by main or the harness before anything runs
  return *current;
}

void SetPlatform(Platform* platform) { current = platform; }

}  // namespace gh

// The display stack (the GL driver, X and D-Bus libraries) keeps allocations of
// its own until the process ends, some in modules it unloads again, where no
// leak suppression can name them. Calls into it are made inside this scope so
// the leak checker of sanitizer builds looks only at our own allocations.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace impact {

struct ForeignAllocations {
#if defined(__SANITIZE_ADDRESS__)
  ForeignAllocations() { __lsan_disable(); }
  ~ForeignAllocations() { __lsan_enable(); }
#else
  ForeignAllocations() {}  // user-provided, so a scope object is not "unused"
#endif
  ForeignAllocations(const ForeignAllocations&) = delete;
  ForeignAllocations& operator=(const ForeignAllocations&) = delete;
};

}  // namespace impact

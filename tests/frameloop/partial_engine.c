/* A stand-in engine library that has only its first call, to show that the
   program names the first missing one. */
#include <stdint.h>
__attribute__((visibility("default"))) int32_t i3ImpactOpen(intptr_t window, int32_t flags) {
  (void)window;
  (void)flags;
  return 0;
}

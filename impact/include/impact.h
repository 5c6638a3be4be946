// The engine library's C interface, as exported by system.so.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "impact_types.h"

#if defined(_WIN32)
#define IMPACT_EXPORT __declspec(dllexport)
#else
#define IMPACT_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define IMPACT_FN(ret, name, params) IMPACT_EXPORT ret name params;
#include "impact_api.inc"
#undef IMPACT_FN

#ifdef __cplusplus
}
#endif

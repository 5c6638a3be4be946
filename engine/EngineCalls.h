// The program's call table for the engine library: one function pointer per
// engine call, named like the call, bound by name when the program starts.
#pragma once
#include <cstddef>
#include <cstdint>

#include "impact_types.h"

namespace gh {

#define IMPACT_FN(ret, name, params) extern ret(*name) params;
#include "impact_api.inc"
#undef IMPACT_FN

}  // namespace gh

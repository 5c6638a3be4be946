#include "engine/Lights.h"

#include "engine/EngineCalls.h"

namespace gh {

void SetLightsDepth(float z) {
  const iVec3 at{0, 0, z};
  for (int32_t light = 0; light < 3; ++light) iLightLocalLocationSet(light, &at);
}

void SetLightsLevel(float level) {
  const iColor green{0, level, 0, 1};
  iLightLocalColorSet(1, &green);
  const iColor blue{0, 0, level, 1};
  iLightLocalColorSet(2, &blue);
}

}  // namespace gh

// The scene lights: where they stand (in front of the scene, or behind it while
// paused) and how much of lights 1 and 2 colours it.
#pragma once

namespace gh {

void SetLightsDepth(float z);
void SetLightsLevel(float level);

}  // namespace gh

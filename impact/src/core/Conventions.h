// The engine's fixed numbers: frame rate, screen plane, camera, lights, picking
// and text metrics. Every backend and the core read them from here only.
#pragma once
#include <cstdint>

namespace impact::conv {

// ---- time ---------------------------------------------------------------
// Exactly 60 run phases per second, whatever the display does.
inline constexpr int kFramesPerSecond = 60;
inline constexpr double kFrameSeconds = 1.0 / kFramesPerSecond;
// Frame n starts at n * 1000 / 60 ms, truncated.
inline constexpr uint32_t FrameMillis(uint64_t frame) {
  return static_cast<uint32_t>(frame * 1000 / kFramesPerSecond);
}
// iTic counts 100 ticks per second since the engine opened.
inline constexpr uint32_t kTicsPerSecond = 100;

// ---- screen plane -------------------------------------------------------------
inline constexpr int kViewWidth = 800;
inline constexpr int kViewHeight = 600;
inline constexpr float kPlaneHalfWidth = 16.0f;   // x -16..16
inline constexpr float kPlaneHalfHeight = 12.0f;  // y -12..12
inline constexpr float kPixelsPerUnit = 25.0f;
// Screen-plane point of a pointer given as fractions of the view from the left/top.
inline constexpr float PlaneX(float fx) { return fx * 2 * kPlaneHalfWidth - kPlaneHalfWidth; }
inline constexpr float PlaneY(float fy) { return kPlaneHalfHeight - fy * 2 * kPlaneHalfHeight; }

// ---- world camera ---------------------------------------------------------------
// The camera looks along +z from z = -20.7; its field of view makes the plane
// z = 0 show exactly the screen plane, so world quads at z = 0 appear at their
// picture's pixel size and the pointer's plane point is the aimed world point.
inline constexpr float kCameraZ = -20.7f;
inline constexpr float kCameraDistance = 20.7f;  // from the camera to z = 0
inline constexpr float kNearPlane = 0.5f;
inline constexpr float kFarPlane = 1000.0f;

// ---- quad model -----------------------------------------------------------------
// The model file's first line; the second gives the size at scale 1.
inline constexpr const char* kModelMagic = "gravelhorn-quad 1";

// ---- lights ---------------------------------------------------------------------
inline constexpr int kLightCount = 3;
inline constexpr float kAmbient = 0.12f;
// A light lights a quad fully when it is at least this far in front of it
// (toward the camera); at the quad's plane or behind it it gives nothing.
inline constexpr float kLightFacingRamp = 4.0f;
// Gentle distance falloff 1 / (1 + (d / kLightFalloff)^2): a light at z = -20 lights the
// whole 32 x 24 plane nearly evenly.
inline constexpr float kLightFalloff = 100.0f;
inline constexpr float kDefaultLightZ = -20.0f;

// ---- picking --------------------------------------------------------------------
inline constexpr float kPickAlpha = 0.1f;  // a mesh is picked where alpha is above this

// ---- text -----------------------------------------------------------------------
// Glyphs are rasterised at this point size; at scale 1 a capital letter is one unit high.
inline constexpr int kFontRasterSize = 64;
inline constexpr float kCapitalHeightUnits = 1.0f;
// Every glyph also has a dark outline this many raster pixels wide (about 2 view
// pixels at scale 1), drawn under the letter so a caption reads on a scene of its
// own colour.
inline constexpr int kFontOutlinePixels = 4;
inline constexpr float kOutlineOpacity = 0.85f;
// A print's spacing argument counts in small fractions of a screen unit: the game's
// spacings (-0.1 to -0.3) were chosen for a wide display face, and our condensed
// face's letters would touch ("rh", "il") at anything much tighter.
inline constexpr float kSpacingUnits = 0.15f;
// Prints kept at once (the same print repeated in one place is kept once).
inline constexpr int kMaxPrints = 4096;

// ---- sound ----------------------------------------------------------------------
inline constexpr int kMixChannels = 32;
// Channel volumes out of 128: the tunes 8 dB under the effects (128 x 10^(-8/20)).
inline constexpr int kEffectsVolume = 128;
inline constexpr int kMusicVolume = 51;
// A one-shot asked for again within this many frames of its start plays on;
// later it starts over (never a second copy).
inline constexpr uint64_t kRetriggerFrames = 4;
// The mix's soft limiter: untouched below the knee, never above the ceiling
// (fractions of full scale), recovering with this time constant.
inline constexpr float kLimiterKnee = 0.7f;
inline constexpr float kLimiterCeiling = 0.97f;
inline constexpr float kLimiterReleaseSeconds = 0.08f;

// ---- particles ------------------------------------------------------------------
inline constexpr int kMaxParticles = 8192;
// An emitter's direction box times this is the velocity range in units per second:
// the game's (-0.9..0.9) box spreads a burst over a few units in its 0.4 s life.
inline constexpr float kParticleSpeedScale = 6.0f;
// Air resistance r damps velocity by exp(-r * kAirDamping * seconds).
inline constexpr float kAirDamping = 10.0f;
// World size of a particle at emitter scale 1 and size factor 1 (the game's size 10
// and scales 2..5 give particles of 1 to 2.5 units).
inline constexpr float kParticleUnit = 0.05f;

// ---- window ---------------------------------------------------------------------
inline constexpr const char* kWindowTitle = "Gravelhorn 2";

}  // namespace impact::conv

// The headless harness and read-back calls (see impact_harness.h).
#include "core/Conventions.h"
#include "core/Engine.h"
#include "impact_harness.h"

using impact::TheEngine;

extern "C" {

IMPACT_EXPORT void ihHeadlessEnable(int32_t on) { TheEngine().SetHeadless(on != 0); }
IMPACT_EXPORT int32_t ihHeadless(void) { return TheEngine().HeadlessChosen() ? -1 : 0; }
IMPACT_EXPORT uint32_t ihMillis(void) { return impact::conv::FrameMillis(TheEngine().Frame()); }
IMPACT_EXPORT uint64_t ihFrame(void) { return TheEngine().Frame(); }
IMPACT_EXPORT void ihIdleTick(void) { TheEngine().IdleTick(); }
IMPACT_EXPORT void ihSeed(uint32_t seed) { TheEngine().Seed(seed); }
IMPACT_EXPORT void ihFrameHookSet(ihFrameHook hook, void* user) {
  TheEngine().SetFrameHook(hook, user);
}

IMPACT_EXPORT void ihMouseSet(float x, float y) { TheEngine().InputMouseMove(x, y); }
IMPACT_EXPORT void ihMouseButtonSet(int32_t button, int32_t down) {
  TheEngine().InputMouseButton(button, down != 0);
}
IMPACT_EXPORT void ihKeySet(int32_t scancode, int32_t down) {
  TheEngine().InputKey(scancode, down != 0);
}
IMPACT_EXPORT void ihCharType(int32_t ch) { TheEngine().InputChar(ch); }
IMPACT_EXPORT void ihMessagePost(const iMessage* message) {
  if (message) TheEngine().PostMessage(*message);
}
IMPACT_EXPORT void ihErrorRaise(void) { TheEngine().RaiseError("An engine failure was raised"); }
IMPACT_EXPORT void ihOpenFailSet(int32_t fail) { TheEngine().SetOpenFail(fail); }
IMPACT_EXPORT void ihNumbersReusedSet(int32_t on) { TheEngine().SetNumbersReused(on != 0); }

IMPACT_EXPORT int32_t ihSprites(ihSprite* out, int32_t max) {
  return TheEngine().ReadSprites(out, max);
}
IMPACT_EXPORT int32_t ihMeshes(ihMesh* out, int32_t max) {
  return TheEngine().ReadMeshes(out, max);
}
IMPACT_EXPORT int32_t ihPrints(ihPrint* out, int32_t max) {
  return TheEngine().ReadPrints(out, max);
}
IMPACT_EXPORT int32_t ihSoundEvents(ihSoundEvent* out, int32_t max) {
  return TheEngine().ReadSoundEvents(out, max);
}
IMPACT_EXPORT int32_t ihSoundPlaying(int32_t sound) {
  return TheEngine().SoundPlaying(sound) ? -1 : 0;
}
IMPACT_EXPORT void ihLight(int32_t light, iVec3* location, iColor* color) {
  TheEngine().ReadLight(light, location, color);
}
IMPACT_EXPORT int32_t ihParticles(void) { return TheEngine().ParticleCount(); }
IMPACT_EXPORT int32_t ihOpenCount(void) { return TheEngine().OpenCount(); }
IMPACT_EXPORT int32_t ihFullscreen(void) { return TheEngine().Fullscreen() ? -1 : 0; }
IMPACT_EXPORT int32_t ihObjectCount(void) { return TheEngine().ObjectCount(); }
IMPACT_EXPORT uint64_t ihSceneChecksum(void) { return TheEngine().SceneChecksum(); }
IMPACT_EXPORT int32_t ihLastRendered(void) { return TheEngine().LastRendered(); }
IMPACT_EXPORT int32_t ihPointerWarps(void) { return TheEngine().PointerWarps(); }
IMPACT_EXPORT uint64_t ihFramesShown(void) { return TheEngine().FramesShown(); }
IMPACT_EXPORT void ihCaptureEnable(int32_t on) { TheEngine().SetCapture(on != 0); }
IMPACT_EXPORT int32_t ihViewPixels(uint8_t* out, int32_t max_bytes, int32_t* width,
                                   int32_t* height) {
  return TheEngine().ReadCapture(out, max_bytes, width, height);
}

}  // extern "C"

// The exported engine calls: each forwards to the one engine of this library.
#include <cmath>

#include "core/Conventions.h"
#include "core/Engine.h"
#include "impact.h"

using impact::TheEngine;

namespace {
bool Truth(int32_t v) { return v != 0; }
int32_t Bool(bool v) { return v ? -1 : 0; }
}  // namespace

extern "C" {

// ---- life cycle ------------------------------------------------------------
IMPACT_EXPORT int32_t i3ImpactOpen(intptr_t window, int32_t flags) {
  return TheEngine().Open(window, flags);
}
IMPACT_EXPORT void i3ImpactClose(void) { TheEngine().Close(); }
IMPACT_EXPORT int32_t i3ImpactSettings(const int32_t* settings) {
  return TheEngine().Settings(settings);
}
IMPACT_EXPORT void i3ImpactMain(void) { TheEngine().Main(); }
IMPACT_EXPORT void i3ImpactRender(void) { TheEngine().Render(); }
IMPACT_EXPORT int32_t i3ImpactIsActive(void) { return Bool(TheEngine().IsOpen()); }
IMPACT_EXPORT int32_t i3ImpactIsReady(void) { return Bool(TheEngine().IsReady()); }
IMPACT_EXPORT int32_t i3ImpactIsExecuting(void) { return Bool(TheEngine().IsOpen()); }
IMPACT_EXPORT int32_t i3ImpactIsInitializing(void) { return Bool(TheEngine().IsInitializing()); }
IMPACT_EXPORT int32_t i3ImpactIsRendering(void) { return Bool(TheEngine().IsRendering()); }
IMPACT_EXPORT int32_t i3ImpactIsSkippingRunPhase(void) { return 0; }
IMPACT_EXPORT int32_t i3ImpactIsSkippingRenderPhase(void) {
  return Bool(TheEngine().IsSkippingRender());
}
IMPACT_EXPORT void i3ImpactInitBegin(void) {}
IMPACT_EXPORT void i3ImpactInitEnd(void) { TheEngine().InitEnd(); }
IMPACT_EXPORT void i3ImpactRunBegin(void) {}
IMPACT_EXPORT void i3ImpactRunEnd(void) {}
IMPACT_EXPORT void i3ImpactExitBegin(void) {}
IMPACT_EXPORT void i3ImpactExitEnd(void) {}
IMPACT_EXPORT int32_t i3ImpactErrorFlag(void) { return Bool(TheEngine().ErrorFlag()); }
IMPACT_EXPORT void i3ImpactErrorFlagSet(int32_t flag) { TheEngine().SetErrorFlag(Truth(flag)); }
IMPACT_EXPORT const char* i3ImpactErrorText(void) { return TheEngine().ErrorText(); }
IMPACT_EXPORT void iExit(void) { TheEngine().Exit(); }
IMPACT_EXPORT void iReset(int32_t objects, int32_t sounds) {
  TheEngine().ResetObjects(Truth(objects), Truth(sounds));
}
IMPACT_EXPORT void iProcessMessages(void) { TheEngine().ProcessMessages(); }
IMPACT_EXPORT void iMessageHandlerSet(iMessageHandler handler, void* user) {
  TheEngine().SetMessageHandler(handler, user);
}

// ---- camera and lights -----------------------------------------------------
IMPACT_EXPORT int32_t iCameraCreate(float x, float y, float width, float height) {
  return TheEngine().CameraCreate(x, y, width, height);
}
IMPACT_EXPORT void iCameraLocationSet(int32_t camera, const iVec3* location) {
  TheEngine().CameraLocationSet(camera, location);
}
IMPACT_EXPORT void iLightLocalLocationSet(int32_t light, const iVec3* location) {
  TheEngine().LightLocationSet(light, location);
}
IMPACT_EXPORT void iLightLocalColorSet(int32_t light, const iColor* color) {
  TheEngine().LightColorSet(light, color);
}

// ---- textures and screen sprites ------------------------------------------
IMPACT_EXPORT int32_t iTextureCreate(const char* file) { return TheEngine().TextureCreate(file); }
IMPACT_EXPORT void iTexturePrefetch(const char* file) { TheEngine().TexturePrefetch(file); }
IMPACT_EXPORT void iTextureDestroy(int32_t texture) { TheEngine().TextureDestroy(texture); }
IMPACT_EXPORT int32_t iSpriteCreate(const char* model, int32_t flags) {
  return TheEngine().SpriteCreate(model, flags);
}
IMPACT_EXPORT void iSpriteDestroy(int32_t sprite) { TheEngine().SpriteDestroy(sprite); }
IMPACT_EXPORT void iSpriteShow(int32_t sprite) { TheEngine().SpriteShow(sprite, true); }
IMPACT_EXPORT void iSpriteHide(int32_t sprite) { TheEngine().SpriteShow(sprite, false); }
IMPACT_EXPORT void iSpriteRender(int32_t sprite, int32_t) { TheEngine().SpriteRender(sprite); }
IMPACT_EXPORT void iSpriteLocation(int32_t sprite, iVec2* location) {
  TheEngine().SpriteLocation(sprite, location);
}
IMPACT_EXPORT void iSpriteLocationSet(int32_t sprite, const iVec2* location) {
  TheEngine().SpriteLocationSet(sprite, location);
}
IMPACT_EXPORT void iSpriteScaleSet(int32_t sprite, const iVec2* scale) {
  TheEngine().SpriteScaleSet(sprite, scale);
}
IMPACT_EXPORT void iSpriteColorSet(int32_t sprite, float red, float green, float blue,
                                   float alpha) {
  TheEngine().SpriteColorSet(sprite, red, green, blue, alpha);
}
IMPACT_EXPORT void iSpritePrioritySet(int32_t sprite, int32_t priority) {
  TheEngine().SpritePrioritySet(sprite, priority);
}
IMPACT_EXPORT void iSpriteTextureSet(int32_t sprite, int32_t texture) {
  TheEngine().SpriteTextureSet(sprite, texture);
}
IMPACT_EXPORT void iSpriteTextureChange(int32_t sprite, const char* file) {
  TheEngine().SpriteTextureChange(sprite, file);
}
IMPACT_EXPORT int32_t iSpritePicked(int32_t sprite) {
  return Bool(TheEngine().SpritePicked(sprite));
}

// ---- world meshes ------------------------------------------------------------
IMPACT_EXPORT int32_t iMeshCreate(const char* model) { return TheEngine().MeshCreate(model); }
IMPACT_EXPORT void iMeshDestroy(int32_t mesh) { TheEngine().MeshDestroy(mesh); }
IMPACT_EXPORT void iMeshShow(int32_t mesh) { TheEngine().MeshShow(mesh, true); }
IMPACT_EXPORT void iMeshHide(int32_t mesh) { TheEngine().MeshShow(mesh, false); }
IMPACT_EXPORT void iMeshLocationSet(int32_t mesh, const iVec3* location) {
  TheEngine().MeshLocationSet(mesh, location);
}
IMPACT_EXPORT void iMeshScaleSet(int32_t mesh, float x, float y, float z) {
  TheEngine().MeshScaleSet(mesh, x, y, z);
}
IMPACT_EXPORT void iMeshTextureSet(int32_t mesh, int32_t texture) {
  TheEngine().MeshTextureSet(mesh, texture);
}
IMPACT_EXPORT void iMeshLocalLightsEnable(int32_t mesh, int32_t enable) {
  TheEngine().MeshLightsEnable(mesh, Truth(enable));
}
IMPACT_EXPORT int32_t iMeshPicked(int32_t camera, int32_t mesh) {
  return Bool(TheEngine().MeshPicked(camera, mesh));
}
IMPACT_EXPORT int32_t iMeshPickedAt(int32_t camera, int32_t mesh, float x, float y) {
  return Bool(TheEngine().MeshPickedAt(camera, mesh, x, y));
}

// ---- particles ---------------------------------------------------------------
IMPACT_EXPORT int32_t iParticleCreate(const char* texture, int32_t size) {
  return TheEngine().ParticleCreate(texture, size);
}
IMPACT_EXPORT void iParticleDestroy(int32_t system) { TheEngine().ParticleDestroy(system); }
IMPACT_EXPORT void iParticleRenderModeSet(int32_t system, int32_t mode) {
  if (auto* p = TheEngine().FindParticles(system)) p->mode = mode;
}
IMPACT_EXPORT void iParticleGravitySet(int32_t system, const iVec3* gravity) {
  auto* p = TheEngine().FindParticles(system);
  if (p && gravity) p->gravity = *gravity;
}
IMPACT_EXPORT void iParticleAirResistanceSet(int32_t system, float resistance) {
  auto* p = TheEngine().FindParticles(system);
  if (p && std::isfinite(resistance)) p->airResistance = resistance;
}
IMPACT_EXPORT void iParticleColorSet(int32_t system, const iVec3* start, const iVec3* end) {
  auto* p = TheEngine().FindParticles(system);
  if (!p) return;
  if (start) p->startColor = *start;
  if (end) p->endColor = *end;
}
IMPACT_EXPORT void iParticleLifeTimeSet(int32_t system, float seconds) {
  auto* p = TheEngine().FindParticles(system);
  if (p && std::isfinite(seconds)) p->lifeTime = seconds;
}
IMPACT_EXPORT void iParticleShow(int32_t system) {
  if (auto* p = TheEngine().FindParticles(system)) p->shown = true;
}
IMPACT_EXPORT int32_t iParticleEmitterCreate(int32_t system) {
  return TheEngine().EmitterCreate(system);
}
IMPACT_EXPORT void iParticleEmitterDestroy(int32_t emitter) { TheEngine().EmitterDestroy(emitter); }
IMPACT_EXPORT void iParticleEmitterDirectionSet(int32_t emitter, const iVec3* low,
                                                const iVec3* high) {
  auto* e = TheEngine().FindEmitter(emitter);
  if (!e) return;
  if (low) e->low = *low;
  if (high) e->high = *high;
}
IMPACT_EXPORT void iParticleEmitterScaleSet(int32_t emitter, const iVec2* low, const iVec2* high) {
  auto* e = TheEngine().FindEmitter(emitter);
  if (!e) return;
  if (low) e->scaleLow = *low;
  if (high) e->scaleHigh = *high;
}
IMPACT_EXPORT void iParticleEmitterLocationSet(int32_t emitter, const iVec3* location) {
  auto* e = TheEngine().FindEmitter(emitter);
  if (e && location) e->location = *location;
}
IMPACT_EXPORT void iParticleEmitterEmit(int32_t emitter, float count, float spread) {
  TheEngine().Emit(emitter, count, spread);
}

// ---- sound -----------------------------------------------------------------
IMPACT_EXPORT int32_t iSoundCreate(const char* file, int32_t) {
  return TheEngine().SoundCreate(file, false);
}
IMPACT_EXPORT int32_t iSoundOggCreate(const char* file, int32_t, int32_t) {
  return TheEngine().SoundCreate(file, true);
}
IMPACT_EXPORT void iSoundDestroy(int32_t sound) { TheEngine().SoundDestroy(sound); }
IMPACT_EXPORT void iSoundPlay(int32_t sound, int32_t loop) {
  TheEngine().SoundPlay(sound, Truth(loop), false);
}
IMPACT_EXPORT void iSoundPlayNow(int32_t sound, int32_t loop) {
  TheEngine().SoundPlay(sound, Truth(loop), true);
}
IMPACT_EXPORT void iSoundStop(int32_t sound, int32_t) { TheEngine().SoundStop(sound); }

// ---- text ------------------------------------------------------------------
IMPACT_EXPORT int32_t iFontCreate(const char* file, int32_t camera) {
  return TheEngine().FontCreate(file, camera);
}
IMPACT_EXPORT void iPrint(const char* text, const iVec2* location, const iVec2* scale,
                          float spacing, int32_t font) {
  TheEngine().PrintText(text, location, scale, spacing, font, false);
}
// `height` is accepted for the program's sake; the capital height follows the scale.
IMPACT_EXPORT void iPrintCentered(const char* text, const iVec2* location, const iVec2* scale,
                                  float spacing, int32_t font, float) {
  TheEngine().PrintText(text, location, scale, spacing, font, true);
}
IMPACT_EXPORT void iPrintColorSet(float red, float green, float blue, float alpha) {
  TheEngine().PrintColorSet(red, green, blue, alpha);
}
IMPACT_EXPORT float iPrintWidth(const char* text, const iVec2* scale, float spacing, int32_t font) {
  return TheEngine().PrintWidth(text, scale, spacing, font);
}
IMPACT_EXPORT void iPrintsHide(void) { TheEngine().PrintsHide(); }
IMPACT_EXPORT int32_t iPrintCount(void) { return TheEngine().PrintCount(); }
IMPACT_EXPORT void iPrintsHideFrom(int32_t first) { TheEngine().PrintsHideFrom(first); }

// ---- input -----------------------------------------------------------------
IMPACT_EXPORT int32_t iKeyDown(int32_t key) { return Bool(TheEngine().KeyDown(key)); }
IMPACT_EXPORT int32_t iKeyClick(int32_t key) { return Bool(TheEngine().KeyClick(key)); }
IMPACT_EXPORT int32_t iTypedChar(int32_t consume) { return TheEngine().TypedChar(Truth(consume)); }
IMPACT_EXPORT float iMouseX(void) { return TheEngine().MouseX(); }
IMPACT_EXPORT float iMouseY(void) { return TheEngine().MouseY(); }
IMPACT_EXPORT int32_t iMouseButtonDown(int32_t button) {
  return Bool(TheEngine().MouseButtonDown(button));
}
IMPACT_EXPORT int32_t iMouseButtonClick(int32_t button) {
  return Bool(TheEngine().MouseButtonClick(button));
}
IMPACT_EXPORT void iMouseReset(const iVec2* position) { TheEngine().MouseReset(position); }

// ---- time and numbers ------------------------------------------------------
IMPACT_EXPORT int32_t iTic(void) { return TheEngine().Tic(); }
IMPACT_EXPORT void iFloatTendTo(float* value, float target, float seconds) {
  if (!value) return;
  if (!(seconds > 0) || !std::isfinite(*value)) {
    *value = target;
    return;
  }
  const double k = 1.0 - std::exp(-impact::conv::kFrameSeconds / seconds);
  *value = static_cast<float>(*value + (target - *value) * k);
}
IMPACT_EXPORT float iFloatRand(float low, float high) { return TheEngine().FloatRand(low, high); }
IMPACT_EXPORT int32_t iIntRand(int32_t low, int32_t high) { return TheEngine().IntRand(low, high); }

}  // extern "C"

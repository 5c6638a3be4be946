// The program's engine calls. gh::raw holds the call table as the library
// exports it (one function pointer per call, bound by name when the program
// starts); the program calls the functions of the same names in gh, which take
// typed handles (engine/EngineHandles.h) and bool where the engine takes a
// 32-bit truth value. Calls without either are the table's own entries.
#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/EngineHandles.h"
#include "engine/EngineSettings.h"
#include "impact_types.h"

namespace gh {

namespace raw {
#define IMPACT_FN(ret, name, params) extern ret(*name) params;
#include "impact_api.inc"
#undef IMPACT_FN
}  // namespace raw

namespace detail {
// The engine's truth values: nonzero is true, and true is passed as -1.
constexpr int32_t Truth(bool value) { return value ? -1 : 0; }
}  // namespace detail

// ---- life cycle ------------------------------------------------------------
inline bool i3ImpactOpen(intptr_t window, int32_t flags) {
  return raw::i3ImpactOpen(window, flags) != 0;
}
using raw::i3ImpactClose;
inline bool i3ImpactSettings(const EngineSettings& settings) {
  return raw::i3ImpactSettings(settings.Record()) != 0;
}
using raw::i3ImpactMain;
using raw::i3ImpactRender;
inline bool i3ImpactIsActive() { return raw::i3ImpactIsActive() != 0; }
inline bool i3ImpactIsReady() { return raw::i3ImpactIsReady() != 0; }
inline bool i3ImpactIsExecuting() { return raw::i3ImpactIsExecuting() != 0; }
inline bool i3ImpactIsInitializing() { return raw::i3ImpactIsInitializing() != 0; }
inline bool i3ImpactIsRendering() { return raw::i3ImpactIsRendering() != 0; }
inline bool i3ImpactIsSkippingRunPhase() { return raw::i3ImpactIsSkippingRunPhase() != 0; }
inline bool i3ImpactIsSkippingRenderPhase() { return raw::i3ImpactIsSkippingRenderPhase() != 0; }
using raw::i3ImpactExitBegin;
using raw::i3ImpactExitEnd;
using raw::i3ImpactInitBegin;
using raw::i3ImpactInitEnd;
using raw::i3ImpactRunBegin;
using raw::i3ImpactRunEnd;
inline bool i3ImpactErrorFlag() { return raw::i3ImpactErrorFlag() != 0; }
inline void i3ImpactErrorFlagSet(bool flag) { raw::i3ImpactErrorFlagSet(detail::Truth(flag)); }
using raw::i3ImpactErrorText;
using raw::iExit;
inline void iReset(bool objects, bool sounds) {
  raw::iReset(detail::Truth(objects), detail::Truth(sounds));
}
using raw::iMessageHandlerSet;
using raw::iProcessMessages;

// ---- camera and lights -----------------------------------------------------
inline CameraRef iCameraCreate(float x, float y, float width, float height) {
  return CameraRef(raw::iCameraCreate(x, y, width, height));
}
inline void iCameraLocationSet(CameraRef camera, const iVec3* location) {
  raw::iCameraLocationSet(camera.get(), location);
}
using raw::iLightLocalColorSet;
using raw::iLightLocalLocationSet;

// ---- textures and screen sprites ------------------------------------------
inline TextureHandle iTextureCreate(const char* file) {
  return TextureHandle(TextureRef(raw::iTextureCreate(file)));
}
using raw::iTexturePrefetch;
inline SpriteHandle iSpriteCreate(const char* model, int32_t flags) {
  return SpriteHandle(SpriteRef(raw::iSpriteCreate(model, flags)));
}
inline void iSpriteShow(SpriteRef sprite) { raw::iSpriteShow(sprite.get()); }
inline void iSpriteHide(SpriteRef sprite) { raw::iSpriteHide(sprite.get()); }
inline void iSpriteRender(SpriteRef sprite, bool now) {
  raw::iSpriteRender(sprite.get(), detail::Truth(now));
}
inline void iSpriteLocation(SpriteRef sprite, iVec2* location) {
  raw::iSpriteLocation(sprite.get(), location);
}
inline void iSpriteLocationSet(SpriteRef sprite, const iVec2* location) {
  raw::iSpriteLocationSet(sprite.get(), location);
}
inline void iSpriteScaleSet(SpriteRef sprite, const iVec2* scale) {
  raw::iSpriteScaleSet(sprite.get(), scale);
}
inline void iSpriteColorSet(SpriteRef sprite, float red, float green, float blue, float alpha) {
  raw::iSpriteColorSet(sprite.get(), red, green, blue, alpha);
}
inline void iSpritePrioritySet(SpriteRef sprite, int32_t priority) {
  raw::iSpritePrioritySet(sprite.get(), priority);
}
inline void iSpriteTextureSet(SpriteRef sprite, TextureRef texture) {
  raw::iSpriteTextureSet(sprite.get(), texture.get());
}
inline void iSpriteTextureChange(SpriteRef sprite, const char* file) {
  raw::iSpriteTextureChange(sprite.get(), file);
}
inline bool iSpritePicked(SpriteRef sprite) { return raw::iSpritePicked(sprite.get()) != 0; }

// ---- world meshes ------------------------------------------------------------
inline MeshHandle iMeshCreate(const char* model) {
  return MeshHandle(MeshRef(raw::iMeshCreate(model)));
}
inline void iMeshShow(MeshRef mesh) { raw::iMeshShow(mesh.get()); }
inline void iMeshHide(MeshRef mesh) { raw::iMeshHide(mesh.get()); }
inline void iMeshLocationSet(MeshRef mesh, const iVec3* location) {
  raw::iMeshLocationSet(mesh.get(), location);
}
inline void iMeshScaleSet(MeshRef mesh, float x, float y, float z) {
  raw::iMeshScaleSet(mesh.get(), x, y, z);
}
inline void iMeshTextureSet(MeshRef mesh, TextureRef texture) {
  raw::iMeshTextureSet(mesh.get(), texture.get());
}
inline void iMeshLocalLightsEnable(MeshRef mesh, bool enable) {
  raw::iMeshLocalLightsEnable(mesh.get(), detail::Truth(enable));
}
inline bool iMeshPicked(CameraRef camera, MeshRef mesh) {
  return raw::iMeshPicked(camera.get(), mesh.get()) != 0;
}
// iMeshPicked at a point of the view (fractions 0..1 from the left and the top).
inline bool iMeshPickedAt(CameraRef camera, MeshRef mesh, float x, float y) {
  return raw::iMeshPickedAt(camera.get(), mesh.get(), x, y) != 0;
}

// ---- particles ---------------------------------------------------------------
inline ParticleSystemHandle iParticleCreate(const char* texture, int32_t size) {
  return ParticleSystemHandle(ParticleSystemRef(raw::iParticleCreate(texture, size)));
}
inline void iParticleRenderModeSet(ParticleSystemRef system, int32_t mode) {
  raw::iParticleRenderModeSet(system.get(), mode);
}
inline void iParticleGravitySet(ParticleSystemRef system, const iVec3* gravity) {
  raw::iParticleGravitySet(system.get(), gravity);
}
inline void iParticleAirResistanceSet(ParticleSystemRef system, float resistance) {
  raw::iParticleAirResistanceSet(system.get(), resistance);
}
inline void iParticleColorSet(ParticleSystemRef system, const iVec3* start, const iVec3* end) {
  raw::iParticleColorSet(system.get(), start, end);
}
inline void iParticleLifeTimeSet(ParticleSystemRef system, float seconds) {
  raw::iParticleLifeTimeSet(system.get(), seconds);
}
inline void iParticleShow(ParticleSystemRef system) { raw::iParticleShow(system.get()); }
inline EmitterHandle iParticleEmitterCreate(ParticleSystemRef system) {
  return EmitterHandle(EmitterRef(raw::iParticleEmitterCreate(system.get())));
}
inline void iParticleEmitterDirectionSet(EmitterRef emitter, const iVec3* low, const iVec3* high) {
  raw::iParticleEmitterDirectionSet(emitter.get(), low, high);
}
inline void iParticleEmitterScaleSet(EmitterRef emitter, const iVec2* low, const iVec2* high) {
  raw::iParticleEmitterScaleSet(emitter.get(), low, high);
}
inline void iParticleEmitterLocationSet(EmitterRef emitter, const iVec3* location) {
  raw::iParticleEmitterLocationSet(emitter.get(), location);
}
inline void iParticleEmitterEmit(EmitterRef emitter, float count, float spread) {
  raw::iParticleEmitterEmit(emitter.get(), count, spread);
}

// ---- sound -----------------------------------------------------------------
inline SoundHandle iSoundCreate(const char* file, int32_t flags) {
  return SoundHandle(SoundRef(raw::iSoundCreate(file, flags)));
}
inline SoundHandle iSoundOggCreate(const char* file, int32_t flags, int32_t buffer) {
  return SoundHandle(SoundRef(raw::iSoundOggCreate(file, flags, buffer)));
}
inline void iSoundPlay(SoundRef sound, bool loop) {
  raw::iSoundPlay(sound.get(), detail::Truth(loop));
}
inline void iSoundPlayNow(SoundRef sound, bool loop) {
  raw::iSoundPlayNow(sound.get(), detail::Truth(loop));
}
inline void iSoundStop(SoundRef sound, int32_t flags) { raw::iSoundStop(sound.get(), flags); }

// ---- text ------------------------------------------------------------------
inline FontRef iFontCreate(const char* file, CameraRef camera) {
  return FontRef(raw::iFontCreate(file, camera.get()));
}
inline void iPrint(const char* text, const iVec2* location, const iVec2* scale, float spacing,
                   FontRef font) {
  raw::iPrint(text, location, scale, spacing, font.get());
}
inline void iPrintCentered(const char* text, const iVec2* location, const iVec2* scale,
                           float spacing, FontRef font, float height) {
  raw::iPrintCentered(text, location, scale, spacing, font.get(), height);
}
using raw::iPrintColorSet;
inline float iPrintWidth(const char* text, const iVec2* scale, float spacing, FontRef font) {
  return raw::iPrintWidth(text, scale, spacing, font.get());
}
using raw::iPrintsHide;
// The number of texts printed now, and hiding those printed from one of them on.
using raw::iPrintCount;
using raw::iPrintsHideFrom;

// ---- input -----------------------------------------------------------------
inline bool iKeyDown(int32_t key) { return raw::iKeyDown(key) != 0; }
inline bool iKeyClick(int32_t key) { return raw::iKeyClick(key) != 0; }
// The typed character (0 when none); `consume` takes it off the queue.
inline int32_t iTypedChar(bool consume) { return raw::iTypedChar(detail::Truth(consume)); }
using raw::iMouseX;
using raw::iMouseY;
inline bool iMouseButtonDown(int32_t button) { return raw::iMouseButtonDown(button) != 0; }
inline bool iMouseButtonClick(int32_t button) { return raw::iMouseButtonClick(button) != 0; }
using raw::iMouseReset;

// ---- time and numbers ------------------------------------------------------
using raw::iFloatRand;
using raw::iFloatTendTo;
using raw::iIntRand;
using raw::iTic;

}  // namespace gh

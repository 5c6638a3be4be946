#include "engine/EngineHandles.h"

#include "engine/EngineCalls.h"

namespace gh {

namespace {

uint32_t engineRun = 1;

// A call the library lacks (it was unloaded) has nothing left to free.
template <class Call>
void Free(Call call, int32_t number) {
  if (call) call(number);
}

}  // namespace

uint32_t CurrentEngineRun() { return engineRun; }

void EndEngineRun() {
  ++engineRun;
  if (engineRun == 0) engineRun = 1;
}

void TextureKind::Destroy(int32_t number) { Free(raw::iTextureDestroy, number); }
void SpriteKind::Destroy(int32_t number) { Free(raw::iSpriteDestroy, number); }
void MeshKind::Destroy(int32_t number) { Free(raw::iMeshDestroy, number); }
void SoundKind::Destroy(int32_t number) { Free(raw::iSoundDestroy, number); }
void ParticleSystemKind::Destroy(int32_t number) { Free(raw::iParticleDestroy, number); }
void EmitterKind::Destroy(int32_t number) { Free(raw::iParticleEmitterDestroy, number); }

}  // namespace gh

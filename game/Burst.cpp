#include "Burst.h"

#include "Game.h"
#include "engine/EngineCalls.h"

namespace gh {

Burst::Burst(Game& game) : game_(game) {
  particles_ = iParticleCreate("Data\\Hit.png", 10);
  iParticleRenderModeSet(particles_, 2);
  const iVec3 noGravity{0, 0, 0};
  iParticleGravitySet(particles_, &noGravity);
  iParticleAirResistanceSet(particles_, 0.2f);
  const iVec3 startColour{0.98f, 0.94f, 0.67f};
  const iVec3 endColour{0.25f, 0.05f, 0.01f};
  iParticleColorSet(particles_, &startColour, &endColour);
  iParticleLifeTimeSet(particles_, 0.4f);
  emitter_ = iParticleEmitterCreate(particles_);
  const iVec3 low{-0.9f, -0.9f, -0.9f};
  const iVec3 high{0.9f, 0.9f, 0.9f};
  iParticleEmitterDirectionSet(emitter_, &low, &high);
  const iVec2 smallest{2.0f, 2.2f};
  const iVec2 largest{5.0f, 5.5f};
  iParticleEmitterScaleSet(emitter_, &smallest, &largest);
  iParticleShow(particles_);
}

Burst::~Burst() = default;

void Burst::MoveTo(float x, float y) {
  x_ = x;
  y_ = y;
  const iVec3 at{x, y, 0};
  iParticleEmitterLocationSet(emitter_, &at);
}

bool Burst::EmitAt(float x, float y) {
  MoveTo(x, y);
  return Emit();
}

bool Burst::Emit() {
  iParticleEmitterEmit(emitter_, 10.0f, 0.99f);
  if (frames_ == 0) game_.PlaySound(GameSound::Burst);
  // Held at the end so that a burst left running cannot wrap back to its start.
  if (frames_ < Length) ++frames_;
  return frames_ < Length;
}

}  // namespace gh

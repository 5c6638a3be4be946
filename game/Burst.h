// The burst of a destroyed vehicle: a particle burst with its sound, fired
// where the vehicle was hit.
#pragma once
#include <cstdint>

#include "engine/EngineHandles.h"

namespace gh {

class Game;

// The owner calls Restart and then Emit or EmitAt once a frame until it
// returns false: twenty calls, one sound at the start.
class Burst {
 public:
  static constexpr uint16_t Length = 20;

  explicit Burst(Game& game);
  ~Burst();
  Burst(const Burst&) = delete;
  Burst& operator=(const Burst&) = delete;

  // The next emit starts a new burst (with its sound).
  void Restart() { frames_ = 0; }
  // Moves the emitter to (x, y) and emits; true while the burst is not over.
  bool EmitAt(float x, float y);
  // Emits where the emitter is; true while the burst is not over.
  bool Emit();
  // Places the emitter for the next emits.
  void MoveTo(float x, float y);

  // Where the emitter was last placed.
  float X() const { return x_; }
  float Y() const { return y_; }

 private:
  Game& game_;
  ParticleSystemHandle particles_;
  EmitterHandle emitter_;  // declared after its particle system: freed before it
  uint16_t frames_ = 0;
  float x_ = 0;
  float y_ = 0;
};

}  // namespace gh

// Typed engine handles. The engine names every object by a 32-bit number
// (0 = none); here each kind of object gets a type of its own, so a texture
// cannot go where a mesh is expected.
//
// EngineRef<Kind> is a plain view of a number. EngineHandle<Kind> owns its
// object: it frees it when it goes, but only while the engine run that made the
// object lasts. Ending the run (EndEngineRun) frees nothing itself; it records
// that the engine has freed everything, so that a handle kept past it never
// hands an old number, which may by then name a new object, to a destroy call.
#pragma once
#include <cstdint>
#include <utility>

namespace gh {

// The current engine run: advanced by EndEngineRun (and when the engine
// library is unloaded), never 0.
uint32_t CurrentEngineRun();
// Every engine object made so far has been freed by the engine (reset, closed
// or unloaded): handles made before this call no longer free anything.
void EndEngineRun();

template <class Kind>
class EngineRef {
 public:
  constexpr EngineRef() = default;
  constexpr explicit EngineRef(int32_t number) : number_(number) {}

  // The engine's number for the object (for read-back and logs).
  constexpr int32_t get() const { return number_; }
  constexpr explicit operator bool() const { return number_ != 0; }
  friend constexpr bool operator==(EngineRef, EngineRef) = default;

 private:
  int32_t number_ = 0;
};

template <class Kind>
class EngineHandle {
 public:
  using Ref = EngineRef<Kind>;

  EngineHandle() = default;
  // Takes `object`, just made in the current engine run.
  explicit EngineHandle(Ref object) : number_(object.get()), run_(CurrentEngineRun()) {}
  EngineHandle(EngineHandle&& other) noexcept
      : number_(std::exchange(other.number_, 0)), run_(other.run_) {}
  EngineHandle& operator=(EngineHandle&& other) noexcept {
    if (this != &other) {
      reset();
      number_ = std::exchange(other.number_, 0);
      run_ = other.run_;
    }
    return *this;
  }
  EngineHandle(const EngineHandle&) = delete;
  EngineHandle& operator=(const EngineHandle&) = delete;
  ~EngineHandle() { reset(); }

  // Frees the object now if its engine run still lasts; empty afterwards.
  void reset() {
    const int32_t number = std::exchange(number_, 0);
    if (number != 0 && run_ == CurrentEngineRun()) Kind::Destroy(number);
  }
  // Gives the object up to its engine run, which frees it when it ends.
  Ref release() { return Ref(std::exchange(number_, 0)); }

  operator Ref() const { return Ref(number_); }
  Ref ref() const { return Ref(number_); }
  int32_t get() const { return number_; }
  explicit operator bool() const { return number_ != 0; }

 private:
  int32_t number_ = 0;
  uint32_t run_ = 0;
};

// The kinds of engine object. Those the program frees say how.
struct TextureKind {
  static void Destroy(int32_t number);
};
struct SpriteKind {
  static void Destroy(int32_t number);
};
struct MeshKind {
  static void Destroy(int32_t number);
};
struct SoundKind {
  static void Destroy(int32_t number);
};
struct ParticleSystemKind {
  static void Destroy(int32_t number);
};
struct EmitterKind {
  static void Destroy(int32_t number);
};
// Made once a run and never freed by the program.
struct CameraKind {};
struct FontKind {};

using TextureRef = EngineRef<TextureKind>;
using SpriteRef = EngineRef<SpriteKind>;
using MeshRef = EngineRef<MeshKind>;
using SoundRef = EngineRef<SoundKind>;
using ParticleSystemRef = EngineRef<ParticleSystemKind>;
using EmitterRef = EngineRef<EmitterKind>;
using CameraRef = EngineRef<CameraKind>;
using FontRef = EngineRef<FontKind>;

using TextureHandle = EngineHandle<TextureKind>;
using SpriteHandle = EngineHandle<SpriteKind>;
using MeshHandle = EngineHandle<MeshKind>;
using SoundHandle = EngineHandle<SoundKind>;
using ParticleSystemHandle = EngineHandle<ParticleSystemKind>;
using EmitterHandle = EngineHandle<EmitterKind>;

}  // namespace gh

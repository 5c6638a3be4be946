// The engine library opened headless for games that nobody watches: no window,
// no GL, no audio device, the virtual clock. What the game needs of the engine
// around it is made as the live program's loading makes it (the screen's
// camera, the scene lights, the font); the working folder must hold Data/.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Result.h"

namespace gh {

class HeadlessPlatform;

class HeadlessEngine {
 public:
  // Loads the engine library at `libraryPath` and opens it headless. One at a
  // time in a process (the library keeps its state behind its calls).
  static Result<std::unique_ptr<HeadlessEngine>> Open(const std::string& libraryPath);
  ~HeadlessEngine();
  HeadlessEngine(const HeadlessEngine&) = delete;
  HeadlessEngine& operator=(const HeadlessEngine&) = delete;

  // One engine frame: the clock, the particles, and with `render` a drawn
  // frame. A game's own state never depends on these; the verifier runs none
  // per game frame, and tests compare with a game that ran them.
  void Frame(bool render);
  // Live engine objects (sprites, meshes, textures, sounds, ...).
  int32_t ObjectCount() const;

 private:
  HeadlessEngine();
  struct Calls;
  std::unique_ptr<Calls> calls_;
  std::unique_ptr<HeadlessPlatform> platform_;
  bool open_ = false;
};

}  // namespace gh

// Runs the real program on the headless engine inside a test, frame by frame.
//
// The program runs on the test's own thread and stops at the start of every
// frame (engine frames and idle frames alike); Step(n) runs n frames. Between
// steps the test sets the input the next frame sees and reads back what is on
// screen.
#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/Keys.h"
#include "impact_harness.h"
#include "platform/HeadlessPlatform.h"
#include "shell/Program.h"

namespace gh::test {

// The harness's own bindings of the engine's read-back interface.
struct EngineHarnessCalls {
#define IH_CALLS(X)                                   \
  X(void, ihHeadlessEnable, (int32_t))                \
  X(uint32_t, ihMillis, (void))                       \
  X(uint64_t, ihFrame, (void))                        \
  X(void, ihIdleTick, (void))                         \
  X(void, ihSeed, (uint32_t))                         \
  X(void, ihFrameHookSet, (ihFrameHook, void*))       \
  X(void, ihMouseSet, (float, float))                 \
  X(void, ihMouseButtonSet, (int32_t, int32_t))       \
  X(void, ihKeySet, (int32_t, int32_t))               \
  X(void, ihCharType, (int32_t))                      \
  X(void, ihMessagePost, (const iMessage*))           \
  X(void, ihErrorRaise, (void))                       \
  X(void, ihOpenFailSet, (int32_t))                   \
  X(int32_t, ihSprites, (ihSprite*, int32_t))         \
  X(int32_t, ihMeshes, (ihMesh*, int32_t))            \
  X(int32_t, ihPrints, (ihPrint*, int32_t))           \
  X(int32_t, ihSoundEvents, (ihSoundEvent*, int32_t)) \
  X(int32_t, ihSoundPlaying, (int32_t))               \
  X(void, ihLight, (int32_t, iVec3*, iColor*))        \
  X(int32_t, ihParticles, (void))                     \
  X(int32_t, ihOpenCount, (void))                     \
  X(int32_t, ihFullscreen, (void))                    \
  X(int32_t, ihObjectCount, (void))                   \
  X(uint64_t, ihSceneChecksum, (void))                \
  X(int32_t, ihLastRendered, (void))                  \
  X(int32_t, ihPointerWarps, (void))
#define IH_MEMBER(ret, name, params) ret(*name) params = nullptr;
  IH_CALLS(IH_MEMBER)
#undef IH_MEMBER
};

// Loads the engine library once per process and binds the read-back calls.
const EngineHarnessCalls& Engine();

struct HarnessOptions {
  // Bytes of a Config.cfg placed in the working folder before start (none: no file).
  std::optional<std::string> config;
  uint32_t seed = 1;
  bool displayAvailable = true;
  bool engineOpenFails = false;
  // Start in this folder instead of a fresh temporary one (it must hold Data/ or not).
  std::optional<std::filesystem::path> folder;
  // Link Data/ of the build into the working folder.
  bool linkData = true;
  // Start the program's millisecond clock from zero, and on the same phase of
  // the engine's 60 Hz clock, whatever ran before in this process: replays
  // then see the same tick counts as in a fresh process.
  bool zeroClock = false;
  // Before each frame, wait until a score being sent has its answer (at most
  // the requests' own time limits), so that frames stay in step whatever the
  // network's speed. Off, frames run on while the send is under way, as in the
  // game.
  bool settleScoreSends = true;
  // What the command line asks for (ReadProgramArguments reads one).
  ProgramOptions program;
};

class Harness {
 public:
  explicit Harness(HarnessOptions options = {});
  ~Harness();
  Harness(const Harness&) = delete;
  Harness& operator=(const Harness&) = delete;

  // Lets the program run `frames` frames (fewer if it ends).
  void Step(int frames = 1);
  // Steps until `done` holds (checked before each frame); false if it never did
  // within `maxFrames` or the program ended first.
  bool StepUntil(const std::function<bool()>& done, int maxFrames = 2000);
  // Steps until a print with exactly this text is on screen.
  bool StepUntilPrint(const std::string& text, int maxFrames = 2000);
  bool Exited() const { return exited_; }
  // What the program's clock (TickCount) reads in the next frame.
  uint32_t NextFrameTick() const;
  int ExitCode() const { return exitCode_; }
  // Asks the program to end as closing its window would, and runs it out.
  void Close(int maxFrames = 3000);

  // ---- input for the next frame -------------------------------------------------
  void MouseAt(float x, float y);        // screen units
  void MouseFraction(float x, float y);  // fractions of the view
  void ButtonDown(int button = 0);
  void ButtonUp(int button = 0);
  // Presses a button for one frame and releases it.
  void Click(int button = 0);
  void KeyDown(int key);
  void KeyUp(int key);
  // Presses a key for one frame and releases it.
  void Tap(int key);
  void Type(const std::string& text);  // one character per frame
  void Post(int kind, int a = 0, int b = 0);

  // ---- read-back ------------------------------------------------------------------
  std::vector<ihSprite> Sprites() const;
  std::vector<ihMesh> Meshes() const;
  std::vector<ihPrint> Prints() const;
  std::vector<std::string> PrintTexts() const;
  bool HasPrint(const std::string& text) const;
  const ihPrint* FindPrint(const std::string& text, std::vector<ihPrint>& storage) const;
  // Sound events since the last call.
  std::vector<ihSoundEvent> SoundEvents() const;
  // Whether a shown sprite or mesh shows this file (compared without case, '\' as '/').
  bool SpriteShown(const std::string& file) const;
  bool MeshShown(const std::string& file) const;

  HeadlessPlatform& Platform() { return platform_; }
  // The running program's state (screens, game, question box).
  gh::Shell& Shell() { return program_->Shell(); }
  const std::filesystem::path& Folder() const { return folder_; }
  std::filesystem::path ConfigPath() const { return folder_ / "Config.cfg"; }

 private:
  HeadlessPlatform platform_;
  std::filesystem::path folder_;
  std::filesystem::path previousFolder_;
  bool ownFolder_ = false;
  std::unique_ptr<Program> program_;
  bool exited_ = false;
  int exitCode_ = -1;
  bool settleScoreSends_ = true;
};

// The file name as the engine would match it: '\' as '/', lower case.
std::string NormalisedFile(const std::string& file);

}  // namespace gh::test

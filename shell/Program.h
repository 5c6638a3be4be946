// The program's spine: the main window, the engine's life cycle and the frame loop.
#pragma once
#include <string>

#include "platform/Platform.h"
#include "platform/System.h"
#include "shell/Shell.h"

namespace gh {

// The program as one loop of steps. Each step runs up to the start of the next
// frame: one engine frame while the engine runs (a question box, a restart of
// the engine and the game's phases are states of this loop, never loops of
// their own), or one wait for window events while it is stopped. A harness
// steps it frame by frame on its own thread.
class Program {
 public:
  // Loads the engine library, opens the main window and runs up to the first frame.
  Program(Platform& platform, const std::string& enginePath, ProgramOptions options = {});
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // One step; false once the program has ended.
  bool Step();
  bool Ended() const { return ended_; }
  // 0 after a normal end, 1 when the engine library, the window or the engine
  // could not be opened.
  int ExitCode() const { return exitCode_; }
  // The program's state, for harnesses that drive and read it.
  gh::Shell& Shell() { return shell_; }

 private:
  void AfterWait();
  // Takes the folder's lock (false: another copy runs here, and the player was told).
  bool TakeFolder(Platform& platform);
  // Ends the program with `code`, or (negative) with the code of how the loop ended.
  void Finish(int code);

  // Held for the program's life: a second copy in the same folder would
  // overwrite this one's scores with its own older table.
  FileLock folderLock_;
  gh::Shell shell_;
  bool ended_ = false;
  int exitCode_ = 0;
};

// Runs the whole program on `platform` with the engine library at `enginePath`
// (doing what `options` ask) and returns its exit code.
int ProgramMain(Platform& platform, const std::string& enginePath, ProgramOptions options = {});

// Opens the address of "play.url" (an Internet Shortcut) if the file exists.
void OpenPlayLink();

}  // namespace gh

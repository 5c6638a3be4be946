// The game's entry point: the real platform and the engine library beside the program.
#include <string>

#include "engine/EngineCalls.h"
#include "platform/SdlPlatform.h"
#include "platform/System.h"
#include "shell/Program.h"

int main(int, char**) {  // SDL gives main its WinMain on Windows, with these arguments
  gh::SendMessagesToLog();
  // Data/, Config.cfg and play.url are found beside the program, wherever it was started from.
  const std::string folder = gh::ProgramFolder();
  if (!gh::EnterFolder(folder)) return 1;
  gh::SdlPlatform platform;
  // The engine warps the pointer, and not at all when it is there already.
  platform.SetPointerMover([](int clientX, int clientY) {
    if (!gh::iMouseReset) return;
    const iVec2 at{static_cast<float>(clientX) / 800.0f, static_cast<float>(clientY) / 600.0f};
    gh::iMouseReset(&at);
  });
  return gh::ProgramMain(platform, gh::LibraryPath(folder, "system"));
}

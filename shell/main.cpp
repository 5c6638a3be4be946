// The game's entry point: the real platform and the engine library beside the program.
#include <string>

#include "platform/SdlPlatform.h"
#include "platform/System.h"
#include "shell/Program.h"

int main(int, char**) {  // SDL gives main its WinMain on Windows, with these arguments
  gh::SendMessagesToLog();
  // Data/, Config.cfg and play.url are found beside the program, wherever it was started from.
  const std::string folder = gh::ProgramFolder();
  if (!gh::EnterFolder(folder)) return 1;
  gh::SdlPlatform platform;
  return gh::ProgramMain(platform, gh::LibraryPath(folder, "system"));
}

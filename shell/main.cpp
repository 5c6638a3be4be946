// The game's entry point: the real platform and the engine library beside the program.
#include <string>
#include <vector>

#include "platform/SdlPlatform.h"
#include "platform/System.h"
#include "shell/Program.h"

int main(int argc, char** argv) {  // SDL gives main its WinMain on Windows, with these arguments
  gh::SendMessagesToLog();
  // Before the folder changes: a file named on the command line is found from
  // where the program was started.
  const gh::ProgramOptions options =
      gh::ReadProgramArguments(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
  // Data/, Config.cfg and play.url are found beside the program, wherever it was started from.
  const std::string folder = gh::ProgramFolder();
  if (!gh::EnterFolder(folder)) return 1;
  gh::SdlPlatform platform;
  return gh::ProgramMain(platform, gh::LibraryPath(folder, "system"), options);
}

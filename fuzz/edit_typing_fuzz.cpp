// libFuzzer target: typing into the text box. The widget reads its pictures'
// sizes from the program's Data/: beside this program, or in the folder named
// by GH_DATA_FOLDER.
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  (void)argc;
  const char* folder = std::getenv("GH_DATA_FOLDER");
  gh::fuzz::SetEditDataFolder(
      folder ? std::string(folder)
             : std::filesystem::absolute(std::filesystem::path((*argv)[0])).parent_path().string());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string fault = gh::fuzz::CheckEditTyping(data, size);
  if (!fault.empty()) {
    std::fprintf(stderr, "text box: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}

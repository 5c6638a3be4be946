// The program's layers, read from the include lines of its folders: a layer
// includes only itself and the layers below it, and only platform/ includes
// the operating system's own headers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Each layer and what it may include besides itself (the build's libraries
// link the same way).
const std::map<std::string, std::set<std::string>> Below = {
    {"platform", {}},
    {"settings", {"platform"}},
    {"engine", {"platform"}},
    {"scores", {"settings", "platform"}},
    {"game", {"engine", "scores", "settings", "platform"}},
    {"ui", {"engine", "settings", "platform"}},
    {"shell", {"game", "ui", "engine", "scores", "settings", "platform"}},
};

// Headers of the operating system and the window system: calls through them
// belong in platform/.
bool IsSystemHeader(const std::string& header) {
  static const std::set<std::string> names = {"unistd.h", "fcntl.h",   "dlfcn.h",
                                              "spawn.h",  "pthread.h", "windows.h"};
  return names.count(header) || header.rfind("sys/", 0) == 0 || header.rfind("SDL", 0) == 0;
}

// What is wrong with one include line of a file in `layer`, or "".
std::string CheckInclude(const std::string& layer, const std::string& line) {
  size_t at = line.find_first_not_of(" \t");
  if (at == std::string::npos || line[at] != '#') return "";
  at = line.find_first_not_of(" \t", at + 1);
  if (at == std::string::npos || line.compare(at, 7, "include") != 0) return "";
  at = line.find_first_not_of(" \t", at + 7);
  if (at == std::string::npos || (line[at] != '<' && line[at] != '"')) return "";
  const char close = line[at] == '<' ? '>' : '"';
  const size_t end = line.find(close, at + 1);
  if (end == std::string::npos) return "";
  const std::string header = line.substr(at + 1, end - at - 1);
  if (close == '>') {
    if (layer != "platform" && IsSystemHeader(header))
      return "system header <" + header + "> outside platform/";
    return "";
  }
  if (header.find("..") != std::string::npos) return "include by a relative path: " + header;
  const size_t slash = header.find('/');
  if (slash == std::string::npos) return "";  // beside the including file
  const std::string target = header.substr(0, slash);
  if (target == layer || !Below.count(target)) return "";
  if (!Below.at(layer).count(target)) return layer + "/ includes " + header + " of a layer above";
  return "";
}

TEST(Layers, TheCheckCatchesWhatItShould) {
  const struct {
    const char* layer;
    const char* line;
    bool wrong;
  } cases[] = {
      {"game", "#include \"shell/Shell.h\"", true},
      {"ui", "#include \"game/Game.h\"", true},
      {"scores", "#include \"game/Game.h\"", true},
      {"settings", "#include \"engine/ScreenUnits.h\"", true},
      {"engine", "  #  include \"ui/DXCtrl.h\"", true},
      {"game", "#include \"../shell/Shell.h\"", true},
      {"settings", "#include <unistd.h>", true},
      {"engine", "#include <dlfcn.h>", true},
      {"shell", "#include <SDL.h>", true},
      {"ui", "#include <sys/stat.h>", true},
      {"game", "#include \"engine/EngineCalls.h\"", false},
      {"game", "#include \"Sprites.h\"", false},
      {"shell", "#include \"game/Game.h\"", false},
      {"platform", "#include <dlfcn.h>", false},
      {"scores", "#include <curl/curl.h>", false},
      {"ui", "#include <vector>", false},
      {"game", "// #include \"shell/Shell.h\" in a comment", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(!CheckInclude(c.layer, c.line).empty(), c.wrong) << c.layer << ": " << c.line;
  }
}

TEST(Layers, EveryIncludeGoesDown) {
  const fs::path root = GH_SOURCE_DIR;
  std::vector<std::string> faults;
  int files = 0;
  for (const auto& [layer, below] : Below) {
    ASSERT_TRUE(fs::is_directory(root / layer)) << layer;
    for (const auto& entry : fs::directory_iterator(root / layer)) {
      const std::string ext = entry.path().extension().string();
      if (ext != ".cpp" && ext != ".h") continue;
      ++files;
      std::ifstream in(entry.path());
      std::string line;
      for (int n = 1; std::getline(in, line); ++n) {
        const std::string fault = CheckInclude(layer, line);
        if (!fault.empty()) {
          faults.push_back(entry.path().lexically_relative(root).string() + ":" +
                           std::to_string(n) + ": " + fault);
        }
      }
    }
  }
  EXPECT_GT(files, 20);
  for (const auto& fault : faults) ADD_FAILURE() << fault;
}

// One frame loop: only the program's loop starts engine frames, and nothing
// frees itself from inside its own call.
TEST(Layers, OnlyTheProgramLoopRunsFrames) {
  const fs::path root = GH_SOURCE_DIR;
  std::vector<std::string> faults;
  for (const auto& [layer, below] : Below) {
    for (const auto& entry : fs::directory_iterator(root / layer)) {
      const std::string ext = entry.path().extension().string();
      if (ext != ".cpp" && ext != ".h") continue;
      const std::string file = entry.path().lexically_relative(root).string();
      std::ifstream in(entry.path());
      std::string line;
      for (int n = 1; std::getline(in, line); ++n) {
        const std::string at = file + ":" + std::to_string(n);
        if (line.find("i3ImpactMain()") != std::string::npos && file != "shell/Program.cpp")
          faults.push_back(at + ": starts an engine frame outside the program's loop");
        if (line.find("delete this") != std::string::npos) faults.push_back(at + ": delete this");
      }
    }
  }
  for (const auto& fault : faults) ADD_FAILURE() << fault;
}

}  // namespace

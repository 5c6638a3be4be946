// The program's layers, read from the include lines of its folders: a layer
// includes only itself and the layers below it, and only platform/ includes
// the operating system's own headers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The layer graph as layers.txt writes it: one line per layer, lowest first, the
// folder and then the layers it builds on. Gives each layer and every layer it
// may include besides itself (those it builds on and, through them, theirs), or
// an empty map and the fault in `error`.
std::map<std::string, std::set<std::string>> ReadLayers(const std::string& text,
                                                        std::string& error) {
  std::map<std::string, std::set<std::string>> below;
  std::istringstream in(text);
  std::string line;
  for (int n = 1; std::getline(in, line); ++n) {
    std::istringstream words(line);
    std::string layer, on;
    if (!(words >> layer) || layer[0] == '#') continue;
    if (below.count(layer)) {
      error = "line " + std::to_string(n) + ": " + layer + " is listed twice";
      return {};
    }
    std::set<std::string> all;
    while (words >> on) {
      // Only a layer listed above: so the graph has no cycle.
      if (!below.count(on)) {
        error = "line " + std::to_string(n) + ": " + layer + " builds on " + on +
                ", which is not a layer listed above it";
        return {};
      }
      all.insert(on);
      all.insert(below[on].begin(), below[on].end());
    }
    below[layer] = all;
  }
  if (below.empty()) error = "no layers";
  return below;
}

const std::map<std::string, std::set<std::string>>& Layers() {
  static const auto layers = [] {
    std::ifstream in(std::filesystem::path(GH_SOURCE_DIR) / "layers.txt");
    std::stringstream text;
    text << in.rdbuf();
    std::string error;
    auto read = ReadLayers(text.str(), error);
    EXPECT_EQ(error, "") << "layers.txt";
    return read;
  }();
  return layers;
}

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
  const auto& below = Layers();
  if (target == layer || !below.count(target)) return "";
  if (!below.at(layer).count(target)) return layer + "/ includes " + header + " of a layer above";
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
      {"engine", "  #  include \"ui/Widgets.h\"", true},
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

TEST(Layers, TheLayerListIsReadWithWhatEachBuildsOn) {
  using Graph = std::map<std::string, std::set<std::string>>;
  const struct {
    const char* text;
    Graph layers;  // empty: a fault
  } cases[] = {
      {"# comment\nbase\nmid base\n\ntop mid\n",
       {{"base", {}}, {"mid", {"base"}}, {"top", {"mid", "base"}}}},
      {"a\nb a\nc a\nd b  c\n", {{"a", {}}, {"b", {"a"}}, {"c", {"a"}}, {"d", {"a", "b", "c"}}}},
      {"top mid\nmid\n", {}},  // a layer above the one it builds on
      {"a b\nb a\n", {}},      // a cycle
      {"a\na\n", {}},          // twice
      {"# nothing\n", {}},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_EQ(ReadLayers(c.text, error), c.layers) << c.text;
    EXPECT_EQ(error.empty(), !c.layers.empty()) << c.text << error;
  }
  // The program's own list: shell on top of every other layer but the
  // verifier's (a program of its own on the game), platform at the bottom.
  ASSERT_EQ(Layers().size(), 8u);
  EXPECT_EQ(Layers().at("platform"), std::set<std::string>{});
  EXPECT_EQ(Layers().at("shell").size(), 6u);
  EXPECT_EQ(Layers().at("verify"),
            (std::set<std::string>{"game", "engine", "scores", "settings", "platform"}));
}

TEST(Layers, EveryIncludeGoesDown) {
  const fs::path root = GH_SOURCE_DIR;
  std::vector<std::string> faults;
  int files = 0;
  for (const auto& [layer, below] : Layers()) {
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

// One frame loop a program: only the game's loop and the verifier's headless
// engine start engine frames, and nothing frees itself from inside its own call.
TEST(Layers, OnlyTheProgramLoopRunsFrames) {
  const fs::path root = GH_SOURCE_DIR;
  std::vector<std::string> faults;
  for (const auto& [layer, below] : Layers()) {
    for (const auto& entry : fs::directory_iterator(root / layer)) {
      const std::string ext = entry.path().extension().string();
      if (ext != ".cpp" && ext != ".h") continue;
      const std::string file = entry.path().lexically_relative(root).string();
      std::ifstream in(entry.path());
      std::string line;
      for (int n = 1; std::getline(in, line); ++n) {
        const std::string at = file + ":" + std::to_string(n);
        if (line.find("i3ImpactMain()") != std::string::npos && file != "shell/Program.cpp" &&
            file != "verify/HeadlessEngine.cpp")
          faults.push_back(at + ": starts an engine frame outside the program's loop");
        if (line.find("delete this") != std::string::npos) faults.push_back(at + ": delete this");
      }
    }
  }
  for (const auto& fault : faults) ADD_FAILURE() << fault;
}

}  // namespace

#include "Files.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "Canvas.h"

namespace assets {

namespace {

bool WriteText(const std::string& path, const std::string& text, std::string& error) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f << text;
  f.close();
  if (!f) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

// One entry per line, printed centred at scale 1, so every line stays short.
const char* const kHelp[] = {
    "GRAVELHORN 2",
    "",
    "Terrorists have taken the city.",
    "You hold the last street corner.",
    "Stop them before they stop you.",
    "",
    "HOW TO PLAY",
    "Move the mouse to aim.",
    "Hold the left button to fire.",
    "Right click loads a spare magazine.",
    "Wheel or keys 1 to 5 pick a weapon.",
    "Every shot that hits you costs health.",
    "Health below zero costs a life.",
    "Each level runs on the clock.",
    "Survive it and the next one starts.",
    "",
    "WEAPONS",
    "1 Pistol: endless ammunition",
    "2 Shotgun: four heavy shells",
    "3 Machine gun: thirty rounds",
    "4 Rocket: one shot, hits vehicles",
    "5 Bomb: clears the whole scene",
    "Every third level the machine gun",
    "never runs out of bullets.",
    "",
    "BONUS BOXES",
    "Boxes float down on parachutes.",
    "Hold the button on an open box",
    "to take what is inside:",
    "magazines, health, points or a life.",
    "Beware the poison: it costs health.",
    "",
    "VEHICLES",
    "Aircraft, cars, trains and trucks",
    "cross the scene one at a time.",
    "Only the machine gun and the rocket",
    "can stop them.",
    "A blinking arrow and the alarm",
    "mark a target: destroy it!",
    "Target destroyed: +50 points",
    "Target escaped: -50 points",
    "Unmarked vehicle destroyed: -50",
    "",
    "SCORING",
    "Terrorist in black: 10 points",
    "Terrorist in green: 20 points",
    "Terrorist in red: 30 points",
    "Points box: 100 points",
    "The best ten scores are kept.",
    "Send yours to the world table!",
    "",
    "KEYS",
    "P: pause",
    "Escape: leave the game or menu",
    "Boss key: hides the game (see Options)",
    "1 to 5: choose a weapon",
    "",
    "CREDITS",
    "Design, code, art and sound:",
    "the Gravelhorn 2 team",
    "Font: DejaVu Sans Bold",
    "",
    "Good luck, soldier!",
};

}  // namespace

const char* const* HelpLines(int& count) {
  count = static_cast<int>(std::size(kHelp));
  return kHelp;
}

bool WriteFont(const std::string& dataDir, std::string& error) {
  // The printed text uses the condensed bold face: the game's spacings are tight.
  std::ifstream in(CondensedFontPath(), std::ios::binary);
  if (!in) {
    error = std::string("cannot read the font ") + CondensedFontPath() +
            " (install the fonts-dejavu-extra package)";
    return false;
  }
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return WriteText(dataDir + "/font/BancoDi.wid", bytes, error);
}

bool WriteModel(const std::string& dataDir, std::string& error) {
  return WriteText(dataDir + "/sprite.x",
                   "gravelhorn-quad 1\n"
                   "# One textured quad, centred on its origin, facing the camera.\n"
                   "# At scale 1 it is 1.6 x 1.6 units, so a picture of p pixels\n"
                   "# drawn at scale p/40 covers p pixels of the 800 x 600 view.\n"
                   "size 1.6 1.6\n",
                   error);
}

bool WriteHelpText(const std::string& dataDir, std::string& error) {
  std::string text;
  for (const char* line : kHelp) {
    text += line;
    text += "\n";
  }
  return WriteText(dataDir + "/Help.txt", text, error);
}

bool WriteDataVersion(const std::string& dataDir, std::string& error) {
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(dataDir, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    const std::string name = fs::relative(it->path(), dataDir, ec).generic_string();
    if (name != "version.txt") names.push_back(name);
  }
  if (ec) {
    error = "cannot list " + dataDir + ": " + ec.message();
    return false;
  }
  std::sort(names.begin(), names.end());
  // FNV-1a over each name, a zero byte and the file's bytes.
  uint64_t digest = 14695981039346656037ull;
  auto mix = [&digest](const char* bytes, size_t n) {
    for (size_t i = 0; i < n; ++i) {
      digest ^= static_cast<uint8_t>(bytes[i]);
      digest *= 1099511628211ull;
    }
  };
  for (const std::string& name : names) {
    mix(name.c_str(), name.size() + 1);
    std::ifstream in(dataDir + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!in) {
      error = "cannot read " + dataDir + "/" + name;
      return false;
    }
    const std::string content = bytes.str();
    mix(content.data(), content.size());
  }
  char text[20];
  std::snprintf(text, sizeof text, "%016llx\n", static_cast<unsigned long long>(digest));
  return WriteText(dataDir + "/version.txt", text, error);
}

}  // namespace assets

// What the program and its engine library load before their first picture. The
// picture, sound, font and HTTP libraries (with libtiff, FluidSynth, GLib and
// the rest behind them) are loaded by name when first wanted: none of them may
// become a link-time dependency again, or every start pays for them.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>

namespace {

std::string NeededLibraries(const std::string& file) {
  std::string out;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(("readelf -d '" + file + "'").c_str(), "r"),
                                             pclose);
  if (!pipe) return out;
  std::array<char, 512> line{};
  while (fgets(line.data(), line.size(), pipe.get())) {
    const std::string text = line.data();
    if (text.find("(NEEDED)") != std::string::npos) out += text;
  }
  return out;
}

TEST(StartLibraries, NeitherTheProgramNorTheEngineLinksWhatItLoadsLater) {
  for (const char* name : {"gravelhorn2", "system.so"}) {
    const std::string needed = NeededLibraries(std::string(GH_BIN_DIR) + "/" + name);
    ASSERT_NE(needed.find("libc.so"), std::string::npos) << name << ": readelf gave nothing";
    for (const char* later : {"SDL2_image", "SDL2_mixer", "SDL2_ttf", "libcurl"}) {
      EXPECT_EQ(needed.find(later), std::string::npos) << name << " links " << later;
    }
  }
}

}  // namespace

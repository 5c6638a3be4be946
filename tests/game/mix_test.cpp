// The game's mixed sound as a player hears it: the program runs on the window
// backend with SDL's disk audio driver, a busy stretch of play is recorded (the
// machine gun held on terrorists, a dry gun clicking, blasts and hits on top), and
// the recording is read back. Run under xvfb-run; skipped without a display.
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "GameFixture.h"
#include "harness/WindowCapture.h"
#include "settings/Settings.h"
#include "shell/Shell.h"

namespace gh::test {
namespace {

struct Recording {
  std::vector<float> samples;  // interleaved stereo, full scale 1.0
  float Peak() const {
    float peak = 0;
    for (float s : samples) peak = std::max(peak, std::fabs(s));
    return peak;
  }
};

double Db(float level) { return 20 * std::log10(std::max(level, 1e-6f)); }

class GameMix : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "no DISPLAY: run under xvfb-run";
    ASSERT_TRUE(capture.Bind());
  }

  void TearDown() override {
    unsetenv("SDL_DISKAUDIOFILE");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  }

  // Plays the busy stretch with the given sound settings and returns what the
  // audio device received.
  Recording Record(bool effects, bool music) {
    const std::string file =
        dir.path / (std::string(effects ? "fx" : "") + (music ? "music" : "") + ".raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    {
      HarnessOptions options;
      options.seed = 5;
      Harness h(options);
      EXPECT_TRUE(h.StepUntil([&] { return MenuShown(h); }, 900));
      EXPECT_TRUE(capture.OpenWindow(h));
      h.Shell().PlayerSettings().SoundOn = effects;
      h.Shell().PlayerSettings().MusicOn = music;
      h.Shell().SwitchScreen(Screen::Game);
      EXPECT_NE(h.Shell().RunningGame(), nullptr);
      if (!h.Shell().RunningGame()) return {};
      h.Shell().RunningGame()->StateForTests().Dice.Seed(77);
      EXPECT_TRUE(h.StepUntil(
          [&] {
            return h.Shell().RunningGame() &&
                   h.Shell().RunningGame()->Phase() == GamePhase::Playing;
          },
          400));
      // Machine gun on whatever walks by, with blasts and hits landing together now
      // and then; after a while the gun runs dry and the held trigger clicks.
      h.Shell().RunningGame()->ChangeWeapon(2);
      h.Shell().RunningGame()->StateForTests().Ammo[2] = 60;
      h.Shell().RunningGame()->StateForTests().Magazines[2] = 0;
      h.ButtonDown();
      for (int frame = 0; frame < 300 && h.Shell().RunningGame(); ++frame) {
        h.MouseAt(-12.0f + (frame % 240) * 0.1f, -2.0f);
        if (frame % 30 == 0)
          for (int n : {4, 9, 13, 10, 3})
            h.Shell().PlaySoundFx(h.Shell().RunningGame()->Sound(static_cast<GameSound>(n)), false);
        h.Shell().RunningGame()->StateForTests().Health = 100;
        h.Step(1);
      }
      h.ButtonUp();
      capture.Stop();
    }
    Engine().ihHeadlessEnable(1);
    std::ifstream in(file, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Recording r;
    // The mixer works in 32-bit floats; the disk driver writes its stream as is.
    r.samples.resize(bytes.size() / sizeof(float));
    std::memcpy(r.samples.data(), bytes.data(), r.samples.size() * sizeof(float));
    return r;
  }

  WindowCapture capture;
  // A fresh folder for the recordings, removed afterwards.
  struct Folder {
    std::filesystem::path path;
    Folder() {
      std::string t = (std::filesystem::temp_directory_path() / "gh-mix-XXXXXX").string();
      path = mkdtemp(t.data()) ? t : std::string(".");
    }
    ~Folder() {
      std::error_code ec;
      if (path != ".") std::filesystem::remove_all(path, ec);
    }
  } dir;
};

TEST_F(GameMix, BusyPlayNeverClipsAndTheEffectsStandAboveTheMusic) {
  const Recording both = Record(true, true);
  const Recording tune = Record(false, true);
  for (const Recording* r : {&both, &tune}) {
    ASSERT_GT(r->samples.size(), 44100u) << "the disk driver recorded less than half a second";
    for (float s : r->samples) ASSERT_TRUE(std::isfinite(s));
  }
  // Full scale is where a real device clips: nothing of the mix gets there.
  EXPECT_LT(both.Peak(), 0.99f);
  // The effects' peaks stand well above the tune's, and the tune is there at all.
  EXPECT_GT(tune.Peak(), 0.01f);
  EXPECT_GT(Db(both.Peak()), Db(tune.Peak()) + 6)
      << "with effects " << Db(both.Peak()) << " dBFS, music alone " << Db(tune.Peak()) << " dBFS";
}

}  // namespace
}  // namespace gh::test

// The sound folder as the synthesiser writes it: every effect a readable
// 16-bit WAV of the right rough length, levelled without clipping, without a
// click at either end; the two engine loops and both tunes seamless; the tunes
// a minute or more; and the same bytes on every run.
#include "Sounds.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

uint32_t Le(const std::string& s, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(s[at + i]);
  return v;
}

// A WAV file as the engine would read it, samples scaled to [-1, 1].
struct Wave {
  int channels = 0, rate = 0, bits = 0, format = 0;
  std::vector<float> samples;  // interleaved
  std::string error;           // empty when the file reads
  double Seconds() const { return channels ? double(samples.size()) / channels / rate : 0; }
};

Wave ReadWave(const fs::path& p) {
  Wave w;
  const std::string b = ReadBytes(p);
  if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) {
    w.error = "not a RIFF/WAVE file";
    return w;
  }
  if (Le(b, 4, 4) != b.size() - 8) w.error = "RIFF size does not match the file";
  bool haveFmt = false, haveData = false;
  for (size_t at = 12; at + 8 <= b.size();) {
    const std::string id = b.substr(at, 4);
    const uint32_t len = Le(b, at + 4, 4);
    if (at + 8 + len > b.size()) {
      w.error = "chunk " + id + " runs past the end";
      return w;
    }
    if (id == "fmt " && len >= 16) {
      haveFmt = true;
      w.format = Le(b, at + 8, 2);
      w.channels = Le(b, at + 10, 2);
      w.rate = Le(b, at + 12, 4);
      w.bits = Le(b, at + 22, 2);
    } else if (id == "data") {
      if (!haveFmt) w.error = "data before fmt";
      haveData = true;
      for (size_t i = 0; i + 1 < len; i += 2) {
        w.samples.push_back(static_cast<int16_t>(Le(b, at + 8 + i, 2)) / 32768.0f);
      }
    }
    at += 8 + len + (len & 1);
  }
  if (!haveFmt || !haveData) w.error = "fmt or data chunk missing";
  return w;
}

// Loudest RMS over 50 ms windows, in dBFS.
double LoudestDb(const std::vector<float>& x, int rate) {
  const size_t window = rate / 20;
  double best = 0;
  for (size_t start = 0; start < x.size(); start += window / 4) {
    const size_t end = std::min(x.size(), start + window);
    double sum = 0;
    for (size_t i = start; i < end; ++i) sum += double(x[i]) * x[i];
    best = std::max(best, sum / window);
    if (end == x.size()) break;
  }
  return 10 * std::log10(std::max(best, 1e-20));
}

double PeakOf(const std::vector<float>& x) {
  double peak = 0;
  for (float v : x) peak = std::max(peak, double(std::fabs(v)));
  return peak;
}

double RmsOf(const std::vector<float>& x, size_t from, size_t n) {
  double sum = 0;
  for (size_t i = from; i < from + n; ++i) sum += double(x[i]) * x[i];
  return std::sqrt(sum / n);
}

double Percentile(std::vector<double> v, double q) {
  const auto at = v.begin() + static_cast<std::ptrdiff_t>(q * (v.size() - 1));
  std::nth_element(v.begin(), at, v.end());
  return *at;
}

// RMS of the quietest stretch of `window` samples inside the sound.
double QuietestRms(const std::vector<float>& x, size_t window) {
  double quietest = 1e9;
  for (size_t start = 0; start + window <= x.size(); start += window / 2) {
    quietest = std::min(quietest, RmsOf(x, start, window));
  }
  return quietest;
}

// How a loop's seam compares with the rest: the step from the last sample to
// the first, and the bend there (second difference), each against the 99th
// percentile of the same measure inside the loop. A click at the seam stands
// far above; a seamless loop sits among its own samples.
struct Seam {
  double step, typicalStep, bend, typicalBend;
};

Seam MeasureSeam(const std::vector<float>& x) {
  const size_t n = x.size();
  auto at = [&](size_t i) { return double(x[i % n]); };
  std::vector<double> steps, bends;
  for (size_t i = 1; i + 1 < n; ++i) {
    steps.push_back(std::fabs(at(i + 1) - at(i)));
    bends.push_back(std::fabs(at(i + 1) - 2 * at(i) + at(i - 1)));
  }
  return {std::fabs(at(n) - at(n - 1)), Percentile(steps, 0.99),
          std::fabs(at(n) - 2 * at(n - 1) + at(n - 2)), Percentile(bends, 0.99)};
}

std::vector<float> Channel(const std::vector<float>& interleaved, int channels, int c) {
  std::vector<float> out;
  for (size_t i = c; i < interleaved.size(); i += channels) out.push_back(interleaved[i]);
  return out;
}

struct Effect {
  const char* file;
  double minSeconds, maxSeconds;
  bool loops;
};

// Rough lengths: the machine gun fires ten times a second and the dry click
// repeats every frame, so both must stay short; the engine loops run one to
// two seconds.
const Effect kEffects[] = {
    {"Click.wav", 0.01, 0.08, false}, {"0.wav", 0.15, 0.6, false}, {"1.wav", 0.2, 0.8, false},
    {"2.wav", 0.05, 0.2, false},      {"3.wav", 0.4, 1.2, false},  {"4.wav", 0.6, 2.0, false},
    {"5.wav", 0.01, 0.08, false},     {"6.wav", 0.2, 0.8, false},  {"7.wav", 0.9, 2.1, true},
    {"8.wav", 0.9, 3.0, true},        {"9.wav", 0.4, 1.5, false},  {"10.wav", 0.2, 0.8, false},
    {"11.wav", 0.2, 0.8, false},      {"12.wav", 0.5, 2.0, false}, {"13.wav", 0.05, 0.4, false},
    {"14.wav", 0.2, 1.2, false},      {"15.wav", 0.2, 1.2, false},
};

struct Tune {
  std::vector<float> samples;  // interleaved
  int channels = 0;
  long rate = 0;
  long total = 0;
  std::string loopLength;
  bool ok = false;
};

Tune DecodeTune(const fs::path& p) {
  Tune t;
  OggVorbis_File vf;
  if (ov_fopen(p.c_str(), &vf) != 0) return t;
  const vorbis_info* info = ov_info(&vf, -1);
  t.channels = info->channels;
  t.rate = info->rate;
  t.total = static_cast<long>(ov_pcm_total(&vf, -1));
  if (const char* tag = vorbis_comment_query(ov_comment(&vf, -1), "LOOPLENGTH", 0)) {
    t.loopLength = tag;
  }
  int section = 0;
  for (;;) {
    float** pcm = nullptr;
    const long n = ov_read_float(&vf, &pcm, 4096, &section);
    if (n < 0) {
      ov_clear(&vf);
      return t;
    }
    if (n == 0) break;
    for (long i = 0; i < n; ++i) {
      for (int c = 0; c < t.channels; ++c) t.samples.push_back(pcm[c][i]);
    }
  }
  ov_clear(&vf);
  t.ok = true;
  return t;
}

// The folder the build wrote with assetgen, as the game will find it.
class SoundFolder : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(fs::is_directory(Folder())) << Folder(); }

  static fs::path Folder() { return fs::path(GH_BIN_DIR) / "Data" / "Sound"; }
  static fs::path File(const std::string& name) { return Folder() / name; }
};

TEST_F(SoundFolder, EffectsAre16BitPcmOfTheirRoughLength) {
  for (const Effect& e : kEffects) {
    SCOPED_TRACE(e.file);
    const Wave w = ReadWave(File(e.file));
    ASSERT_EQ(w.error, "");
    EXPECT_EQ(w.format, 1) << "PCM";
    EXPECT_EQ(w.bits, 16);
    EXPECT_TRUE(w.channels == 1 || w.channels == 2);
    EXPECT_TRUE(w.rate == 44100 || w.rate == 22050);
    EXPECT_GE(w.Seconds(), e.minSeconds);
    EXPECT_LE(w.Seconds(), e.maxSeconds);
  }
}

TEST_F(SoundFolder, EffectsAreAudibleBalancedAndNeverClip) {
  double quietest = 0, loudest = -100;
  for (const Effect& e : kEffects) {
    SCOPED_TRACE(e.file);
    const Wave w = ReadWave(File(e.file));
    ASSERT_EQ(w.error, "");
    // Peaks stay under about -1 dBFS; nothing is near silence.
    const double peak = PeakOf(w.samples);
    EXPECT_LE(peak, 0.9);
    EXPECT_GE(peak, 0.1);
    const double level = LoudestDb(w.samples, w.rate);
    EXPECT_GE(level, -24.0);
    EXPECT_LE(level, -9.0);
    quietest = std::min(quietest, level);
    loudest = std::max(loudest, level);
  }
  // Similar loudness: no effect drowns another.
  EXPECT_LE(loudest - quietest, 10.0);
}

// Share of a stretch's energy between two frequencies (a plain DFT of its first
// `n` samples, Hann-windowed).
double BandShare(const std::vector<float>& x, int rate, size_t n, double lo, double hi) {
  n = std::min(n, x.size());
  double band = 0, total = 0;
  for (size_t k = 1; k < n / 2; ++k) {
    double re = 0, im = 0;
    for (size_t i = 0; i < n; ++i) {
      const double w = 0.5 - 0.5 * std::cos(2 * M_PI * i / (n - 1));
      const double a = 2 * M_PI * k * i / n;
      re += w * x[i] * std::cos(a);
      im -= w * x[i] * std::sin(a);
    }
    const double e = re * re + im * im, hz = double(k) * rate / n;
    total += e;
    if (hz >= lo && hz <= hi) band += e;
  }
  return total > 0 ? band / total : 0;
}

// Pitch of successive 20 ms windows from their upward zero crossings.
std::vector<double> PitchTrack(const std::vector<float>& x, int rate) {
  std::vector<double> pitches;
  const size_t window = rate / 50;
  for (size_t start = 0; start + window <= x.size(); start += window) {
    int crossings = 0;
    for (size_t i = start + 1; i < start + window; ++i) crossings += x[i - 1] < 0 && x[i] >= 0;
    if (RmsOf(x, start, window) > 0.02) pitches.push_back(crossings * 50.0);
  }
  return pitches;
}

TEST_F(SoundFolder, TheHitCarriesOnSmallSpeakersAndTheAlarmWails) {
  // The hit: a good part of its first 50 ms lies in the 1-4 kHz band that laptop
  // speakers play, not all in the bass below them.
  const Wave hit = ReadWave(File("13.wav"));
  ASSERT_EQ(hit.error, "");
  EXPECT_GE(BandShare(hit.samples, hit.rate, 2048, 1000, 4000), 0.2);
  // The alarm: a siren's pitch glides through many steps over an octave or so,
  // unlike a beep that jumps between two tones.
  const Wave alarm = ReadWave(File("6.wav"));
  ASSERT_EQ(alarm.error, "");
  const std::vector<double> pitch = PitchTrack(alarm.samples, alarm.rate);
  ASSERT_FALSE(pitch.empty());
  std::vector<int> steps;
  for (double p : pitch) steps.push_back(static_cast<int>(p / 100));
  std::sort(steps.begin(), steps.end());
  steps.erase(std::unique(steps.begin(), steps.end()), steps.end());
  EXPECT_GE(steps.size(), 6u) << "the pitch takes few values";
  const auto [low, high] = std::minmax_element(pitch.begin(), pitch.end());
  EXPECT_GE(*high / *low, 1.8);
}

TEST_F(SoundFolder, OneShotsStartAndEndAtRest) {
  for (const Effect& e : kEffects) {
    if (e.loops) continue;
    SCOPED_TRACE(e.file);
    const Wave w = ReadWave(File(e.file));
    ASSERT_EQ(w.error, "");
    ASSERT_FALSE(w.samples.empty());
    // A sound cut off mid-wave clicks when it starts or stops.
    EXPECT_LE(std::fabs(w.samples.front()), 0.01);
    EXPECT_LE(std::fabs(w.samples.back()), 0.01);
  }
}

TEST_F(SoundFolder, EngineAndTrainLoopsAreSeamless) {
  for (const char* file : {"7.wav", "8.wav"}) {
    SCOPED_TRACE(file);
    const Wave w = ReadWave(File(file));
    ASSERT_EQ(w.error, "");
    for (int c = 0; c < w.channels; ++c) {
      const std::vector<float> x = Channel(w.samples, w.channels, c);
      const Seam seam = MeasureSeam(x);
      EXPECT_LE(seam.step, seam.typicalStep);
      EXPECT_LE(seam.bend, seam.typicalBend);
      // Seamless by running on, not by fading out and in again: the ends are
      // no quieter than the quietest stretch inside.
      const size_t edge = w.rate / 20;
      const double floor = QuietestRms(x, edge);
      EXPECT_GE(RmsOf(x, 0, edge), 0.8 * floor);
      EXPECT_GE(RmsOf(x, x.size() - edge, edge), 0.8 * floor);
    }
  }
}

TEST_F(SoundFolder, TunesAreLongStereoLoopsThatDoNotClip) {
  for (const char* file : {"Menu.ogg", "Game.ogg"}) {
    SCOPED_TRACE(file);
    const Tune t = DecodeTune(File(file));
    ASSERT_TRUE(t.ok) << "does not decode";
    EXPECT_EQ(t.channels, 2);
    EXPECT_EQ(t.rate, 44100);
    const double seconds = double(t.samples.size()) / t.channels / t.rate;
    EXPECT_GE(seconds, 60.0);
    // The decoder gives exactly the loop's samples: no padding at the loop point.
    EXPECT_EQ(long(t.samples.size()) / t.channels, t.total);
    EXPECT_EQ(t.loopLength, std::to_string(t.total));
    const double peak = PeakOf(t.samples);
    EXPECT_LT(peak, 1.0);
    EXPECT_GT(peak, 0.3);
    for (int c = 0; c < t.channels; ++c) {
      const std::vector<float> x = Channel(t.samples, t.channels, c);
      const Seam seam = MeasureSeam(x);
      EXPECT_LE(seam.step, seam.typicalStep);
      EXPECT_LE(seam.bend, seam.typicalBend);
      // The end leads back into the start: both are playing, neither fades.
      const size_t edge = t.rate / 2;
      const double body = RmsOf(x, 0, x.size());
      EXPECT_GE(RmsOf(x, 0, edge), 0.5 * body);
      EXPECT_GE(RmsOf(x, x.size() - edge, edge), 0.5 * body);
    }
  }
}

// A run of its own writes exactly the files of the build's run, byte for byte.
TEST_F(SoundFolder, TwoRunsWriteIdenticalFiles) {
  const fs::path base = fs::temp_directory_path() / ("gh-sounds-" + std::to_string(getpid()));
  fs::remove_all(base);
  std::string error;
  ASSERT_TRUE(assets::WriteSounds(base.string(), error)) << error;
  std::vector<std::string> names = {"Menu.ogg", "Game.ogg"};
  for (const Effect& e : kEffects) names.push_back(e.file);
  size_t files = 0;
  for (const auto& entry : fs::directory_iterator(base / "Sound")) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, names.size()) << "exactly the effects and the two tunes";
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const std::string fresh = ReadBytes(base / "Sound" / name);
    EXPECT_FALSE(fresh.empty());
    EXPECT_TRUE(fresh == ReadBytes(File(name)));
  }
  fs::remove_all(base);
}

TEST(WriteSounds, ReportsAFolderItCannotWrite) {
  // A plain file stands where the data folder should be.
  const fs::path blocker =
      fs::temp_directory_path() / ("gh-sounds-file-" + std::to_string(getpid()));
  { std::ofstream(blocker) << "x"; }
  std::string error;
  EXPECT_FALSE(assets::WriteSounds(blocker.string(), error));
  EXPECT_NE(error.find(blocker.string()), std::string::npos) << error;
  fs::remove(blocker);
}

}  // namespace

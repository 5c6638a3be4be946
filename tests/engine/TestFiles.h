// Files the engine tests feed to the engine, written at run time: pictures,
// sounds, the quad model, and a scratch folder to hold them.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace enginetest {

// A fresh folder under the system's temporary folder, removed by the destructor.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct Rgba {
  uint8_t r, g, b, a;
};

// Writes a PNG whose pixel (x, y) (y from the top) is pixel(x, y).
void WritePng(const std::string& path, int width, int height,
              const std::function<Rgba(int, int)>& pixel);
// A 16-bit mono WAV of a sine tone.
void WriteWav(const std::string& path, double seconds, int rate = 22050, double hz = 440);
// An Ogg Vorbis file of a sine tone.
void WriteOgg(const std::string& path, double seconds, int rate = 22050);
void WriteText(const std::string& path, const std::string& text);
// Creates the folders of `path` below and including its parent.
void MakeParents(const std::string& path);

// The model file the engine reads for every quad.
inline constexpr const char* kQuadModel = "gravelhorn-quad 1\nsize 1.6 1.6\n";
inline constexpr const char* kFontFile =
    "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf";

}  // namespace enginetest

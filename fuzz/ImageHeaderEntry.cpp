#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string_view>

#include "FuzzEntries.h"
#include "engine/ScreenUnits.h"

namespace gh::fuzz {

namespace {

uint16_t BigEndian16(std::string_view b, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) << 8 | static_cast<uint8_t>(b[at + 1]));
}

// A scratch file of this process, removed at exit.
struct ScratchFile {
  std::filesystem::path base;
  ScratchFile() {
    // Memory-backed when there is one: the target writes a file per input.
    const std::filesystem::path shm = "/dev/shm";
    std::error_code ec;
    const auto dir = std::filesystem::is_directory(shm, ec) && access("/dev/shm", W_OK) == 0
                         ? shm
                         : std::filesystem::temp_directory_path();
    base = dir / ("gh_fuzz_image_" + std::to_string(static_cast<long>(getpid())));
  }
  ~ScratchFile() {
    std::error_code ec;
    std::filesystem::remove(base.string() + ".png", ec);
    std::filesystem::remove(base.string() + ".jpg", ec);
  }
};

bool IsFrameMarker(uint8_t m) {
  return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

}  // namespace

std::string CheckImageHeader(const uint8_t* data, size_t size) {
  if (size == 0) return {};
  static ScratchFile scratch;
  const bool png = (data[0] & 1) == 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string path = scratch.base.string() + (png ? ".png" : ".jpg");
  {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return {};  // no scratch space: nothing to check
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }

  const Result<ImageSize> measured = GetImageSize(path);
  const bool threw = !measured;
  const uint16_t width = measured ? measured->width : 0, height = measured ? measured->height : 0;
  if (!measured) {
    const std::string_view what = measured.error().message;
    if (what.rfind("Stream read error", 0) != 0 || what.find(path) == std::string_view::npos)
      return "the read error does not name the file";
  }

  if (png) {
    // A PNG's size sits at fixed offsets of its header chunk.
    if (bytes.size() < 24) return threw ? "" : "a short PNG was measured";
    if (threw) return "a PNG long enough for its header was not measured";
    if (width != BigEndian16(bytes, 18) || height != BigEndian16(bytes, 22))
      return "PNG size not taken from bytes 18 and 22";
    return {};
  }

  const bool jpegStream = bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFF &&
                          static_cast<uint8_t>(bytes[1]) == 0xD8;
  if (!jpegStream) {
    // Not a JPEG stream: the fixed offsets of the game's own layout.
    if (bytes.size() < 167) return threw ? "" : "a short file was measured";
    if (threw) return "a file long enough for the fixed offsets was not measured";
    if (height != BigEndian16(bytes, 163) || width != BigEndian16(bytes, 165))
      return "size not taken from bytes 163 and 165";
    return {};
  }
  if (threw) return {};
  // A measured JPEG stream: the size comes from some frame header in the file.
  for (size_t p = 2; p + 9 <= bytes.size(); ++p) {
    if (static_cast<uint8_t>(bytes[p]) == 0xFF &&
        IsFrameMarker(static_cast<uint8_t>(bytes[p + 1])) && BigEndian16(bytes, p + 5) == height &&
        BigEndian16(bytes, p + 7) == width)
      return {};
  }
  return "a JPEG size that no frame header holds";
}

}  // namespace gh::fuzz

#include "engine/ScreenUnits.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "engine/EngineCalls.h"
#include "impact_path.h"
#include "platform/Platform.h"
#include "platform/System.h"

namespace gh {

namespace {

// The engine run's screen view, made by MakeScreenCamera and MakeScreenFont.
struct ScreenView {
  CameraRef camera;
  FontRef font;
};
ScreenView View;

// Reads a big-endian 16-bit number at `offset`.
bool ReadBigEndian16(std::FILE* f, long offset, uint16_t& value) {
  unsigned char b[2];
  if (std::fseek(f, offset, SEEK_SET) != 0 || std::fread(b, 1, 2, f) != 2) return false;
  value = static_cast<uint16_t>(b[0] << 8 | b[1]);
  return true;
}

// A JPEG's frame header, found by walking the segments from the start. Files in
// the layout the game writes (frame header at byte 158) give the same result as
// reading at fixed offsets; other valid JPEGs are measured right too.
bool ReadJpegSize(std::FILE* f, uint16_t& width, uint16_t& height) {
  unsigned char b[4];
  if (std::fseek(f, 0, SEEK_SET) != 0 || std::fread(b, 1, 2, f) != 2) return false;
  if (b[0] != 0xFF || b[1] != 0xD8) {
    // Not a JPEG stream: fall back to the fixed offsets.
    return ReadBigEndian16(f, 163, height) && ReadBigEndian16(f, 165, width);
  }
  long pos = 2;
  for (int guard = 0; guard < 4096; ++guard) {
    if (std::fseek(f, pos, SEEK_SET) != 0 || std::fread(b, 1, 4, f) != 4) return false;
    if (b[0] != 0xFF) return false;
    const int marker = b[1];
    if (marker == 0xFF) {  // fill byte
      pos += 1;
      continue;
    }
    const int length = b[2] << 8 | b[3];
    const bool frame =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) return ReadBigEndian16(f, pos + 5, height) && ReadBigEndian16(f, pos + 7, width);
    if (length < 2) return false;
    pos += 2 + length;
  }
  return false;
}

}  // namespace

CameraRef MakeScreenCamera() {
  View.camera = iCameraCreate(0, 0, 1.0f, 1.0f);
  return View.camera;
}

FontRef MakeScreenFont(const char* file) {
  View.font = iFontCreate(file, View.camera);
  return View.font;
}

CameraRef ScreenCamera() { return View.camera; }
FontRef ScreenFont() { return View.font; }

std::string ResolveDataPath(const std::string& name) { return impact::ResolvePath(name); }

Result<ImageSize> GetImageSize(const std::string& file) {
  ImageSize size;
  const size_t dot = file.rfind('.');
  const std::string ext = dot == std::string::npos ? std::string() : file.substr(dot);
  if (ext != ".png" && ext != ".jpg") return size;  // ".gif" and the rest: 0 x 0

  const std::string path = ResolveDataPath(file);
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    const int err = errno;
    return Error{"Cannot open file \"" + ShownPath(file) + "\". " + std::strerror(err),
                 std::error_code(err, std::generic_category())};
  }
  bool ok;
  if (ext == ".png") {
    ok = ReadBigEndian16(f, 18, size.width) && ReadBigEndian16(f, 22, size.height);
  } else {
    ok = ReadJpegSize(f, size.width, size.height);
  }
  std::fclose(f);
  // Name the file: the player has to know which one is damaged.
  if (!ok)
    return Error{"Stream read error: \"" + ShownPath(file) + "\" is cut short or damaged.", {}};
  return size;
}

iVec2 PointerOnPlane() { return ViewToPlane(iMouseX(), iMouseY()); }

void SetPrintColour(const iColor& colour) {
  iPrintColorSet(colour.red, colour.green, colour.blue, colour.alpha);
}

void PrintText(const std::string& text, uint8_t alignment, bool shadow, float x, float y,
               float scaleX, float scaleY, float spacing, const iColor& colour) {
  if (alignment != AlignLeft && alignment != AlignCentre) return;
  const iVec2 scale{scaleX, scaleY};
  auto print = [&](float px, float py) {
    const iVec2 at{px, py};
    if (alignment == AlignLeft) {
      iPrint(text.c_str(), &at, &scale, spacing, View.font);
    } else {
      iPrintCentered(text.c_str(), &at, &scale, spacing, View.font, 26.0f);
    }
  };
  if (shadow) {
    SetPrintColour(ColourShadow);
    print(x - 0.2f, y - 0.1f);
  }
  SetPrintColour(colour);
  print(x, y);
}

Result<SpriteRef> CreatePicture(const std::string& file, bool show, float x, float y) {
  const Result<ImageSize> size = GetImageSize(file);
  if (!size) return size.error();
  const uint16_t w = size->width, h = size->height;
  const SpriteRef sprite = iSpriteCreate("Data\\sprite.x", 0).release();
  const TextureRef texture = iTextureCreate(file.c_str()).release();
  iSpriteTextureSet(sprite, texture);
  const iVec2 scale{PixelsToScale(w), PixelsToScale(h)};
  iSpriteScaleSet(sprite, &scale);
  const iVec2 at{x, y};
  iSpriteLocationSet(sprite, &at);
  if (show) iSpriteShow(sprite);
  return sprite;
}

void OpenWithShell(const std::string& target) { ThePlatform().ShellOpen(target); }

}  // namespace gh

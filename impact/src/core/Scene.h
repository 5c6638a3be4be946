// The engine's scene model: every object the program creates, by handle, plus the
// decoded files they share. Backends read it to draw and play; only the core
// changes it.
#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "impact_types.h"

namespace impact {

// A decoded picture, shared by every texture, sprite and particle system that uses
// the same file. Rows top first, 4 bytes (RGBA) per pixel.
struct Image {
  std::string path;  // resolved file name (the cache key)
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;
  int64_t fileTime = 0;  // modification time and size when decoded
  int64_t fileSize = 0;
  // The window backend's texture, valid while glGeneration is the live context's.
  uint32_t gl = 0;
  uint64_t glGeneration = 0;
  bool glOpaque = false;  // every pixel's alpha is 255: drawn without blending
  // Glyph atlases only: the picture at a half, a quarter, ... of its size, one
  // texture each, for prints drawn that much smaller than the raster.
  std::vector<uint32_t> glSmaller;

  Image() = default;
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;
  ~Image();

  // Alpha 0..1 at texture coordinates u (left to right) and v (top to bottom), 0..1.
  float AlphaAt(float u, float v) const;
};
using ImageRef = std::shared_ptr<Image>;

// The quad model file's size at scale 1, in units.
struct Model {
  float width = 1.6f;
  float height = 1.6f;
};

struct Glyph {
  float advance = 0;  // font pixels
  // The glyph's ink in the atlas (pixels) and where it sits: left edge relative to
  // the pen, top edge above the baseline (font pixels).
  int atlasX = 0, atlasY = 0, atlasW = 0, atlasH = 0;
  float left = 0, top = 0;
  // The same glyph stroked around its edge (drawn dark under the letter, so text
  // reads on any background): its place in the atlas and where it sits, as above.
  int outlineX = 0, outlineY = 0, outlineW = 0, outlineH = 0;
  float outlineLeft = 0, outlineTop = 0;
};

// A TrueType font rasterised once into a glyph atlas (Latin-1, 8-bit text).
struct FontData {
  std::string path;
  float capHeight = 1;  // font pixels of a capital letter
  std::array<Glyph, 256> glyphs;
  ImageRef atlas;
  int64_t fileTime = 0, fileSize = 0;
};
using FontRef = std::shared_ptr<FontData>;

struct Texture {
  ImageRef image;
  std::string file;  // as given to the engine
};

struct Sprite {
  int32_t handle = 0;
  iVec2 location{0, 0};
  iVec2 scale{1, 1};
  iColor color{1, 1, 1, 1};
  int32_t priority = 0;
  bool shown = false;
  Model model;
  int32_t texture = 0;
  ImageRef image;
  std::string file;
};

struct Mesh {
  int32_t handle = 0;
  iVec3 location{0, 0, 0};
  iVec3 scale{1, 1, 1};
  bool shown = false;
  bool lit = false;
  Model model;
  int32_t texture = 0;
  ImageRef image;
  std::string file;
};

struct Camera {
  float x = 0, y = 0, width = 1, height = 1;  // viewport, fractions of the view
  iVec3 location{0, 0, -20.7f};
};

struct Light {
  iVec3 location{0, 0, -20};
  iColor color{1, 1, 1, 1};
};

struct Particle {
  iVec3 position;
  iVec3 velocity;
  float age;
  float life;
  float startSize;
  float endSize;
};

struct ParticleSystem {
  ImageRef image;
  std::string file;
  // "smoke.png" beside the particle picture, when there is one: an additive burst
  // leaves a little dark smoke.
  ImageRef smoke;
  float size = 1;
  int32_t mode = 0;  // 2: additive
  iVec3 gravity{0, 0, 0};
  float airResistance = 0;
  iVec3 startColor{1, 1, 1};
  iVec3 endColor{1, 1, 1};
  float lifeTime = 1;
  bool shown = false;
  std::vector<Particle> particles;
};

struct Emitter {
  int32_t system = 0;
  iVec3 low{0, 0, 0}, high{0, 0, 0};
  iVec2 scaleLow{1, 1}, scaleHigh{1, 1};
  iVec3 location{0, 0, 0};
};

struct Sound {
  std::string file;  // as given
  std::string path;  // resolved
  bool music = false;
  uint32_t durationMs = 0;  // length of one play
  void* chunk = nullptr;    // audio backend data (Mix_Chunk / Mix_Music)
  bool silent = false;      // its file could not be loaded: it plays as silence
};

struct Font {
  FontRef data;
  int32_t camera = 0;
};

struct Print {
  uint32_t textOffset;  // into the print text arena
  uint32_t textLength;
  iVec2 location;
  iVec2 scale;
  float spacing;
  bool centered;
  iColor color;
  float left, right;  // horizontal extent, screen units
  float baseline;     // screen units
  FontRef font;
  uint64_t key;  // hash of everything above, to keep a repeated print once
};

// Objects by handle. Handles come from one counter for the library's lifetime, so
// they grow with creation and a map in handle order is creation order.
template <class T>
using Table = std::map<int32_t, T>;

}  // namespace impact

// Loading the files the engine reads: pictures (SDL2_image), the quad model file,
// TrueType fonts (SDL2_ttf, rasterised into a glyph atlas) and sound files. Every
// name goes through the shared path resolver; decoded files are cached by path.
#include "core/Assets.h"

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <system_error>
#include <thread>

#include "Os.h"
#include "core/Conventions.h"
#include "core/Engine.h"
#include "impact_path.h"

namespace impact {

namespace {

Engine* liveEngine = nullptr;

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\r\n");
  if (a == std::string::npos) return "";
  size_t b = s.find_last_not_of(" \t\r\n");
  return s.substr(a, b - a + 1);
}

// SDL2_image is loaded by name too, with the first picture (decoded on a thread
// of its own when the program prefetches it): it brings libtiff, libwebp and
// more, about 9 ms of loading that would otherwise stand between the program's
// start and its first picture. The calls keep their names.
#define GH_IMG_CALLS(X) X(IMG_Init) X(IMG_Load)

GH_LATE_CALLS(GH_IMG_CALLS)

std::once_flag imageLibraryOnce;
bool imageLibraryBound = false;

// Loads and binds SDL2_image once, from whichever thread comes first; the other
// waits for it.
bool BindImage() {
  std::call_once(imageLibraryOnce, [] {
    imageLibraryBound = GH_BIND_LATE_LIBRARY(GH_IMAGE_LIBRARY, GH_IMG_CALLS);
    if (imageLibraryBound) IMG_Init(IMG_INIT_PNG | IMG_INIT_JPG);
  });
  return imageLibraryBound;
}

// SDL2_ttf is loaded with the first font, not with the engine library: it brings
// FreeType, HarfBuzz and GLib, which would otherwise delay the first picture. The
// calls keep their names; each is bound from the loaded library.
#define GH_TTF_CALLS(X) \
  X(TTF_WasInit)        \
  X(TTF_Init)           \
  X(TTF_OpenFont)       \
  X(TTF_CloseFont)      \
  X(TTF_FontAscent)     \
  X(TTF_GlyphMetrics32) X(TTF_GlyphIsProvided32) X(TTF_RenderGlyph32_Blended) X(TTF_SetFontOutline)

GH_LATE_CALLS(GH_TTF_CALLS)

bool BindTtf() {
  static const bool bound = GH_BIND_LATE_LIBRARY(GH_TTF_LIBRARY, GH_TTF_CALLS);
  return bound;
}

bool EnsureTtfInit(std::string& error) {
  if (!BindTtf()) {
    error = "the font library " GH_TTF_LIBRARY " cannot be loaded";
    return false;
  }
  if (TTF_WasInit()) return true;
  if (TTF_Init() != 0) {
    error = TTF_GetError();
    return false;
  }
  return true;
}

}  // namespace

void SetLiveEngine(Engine* engine) { liveEngine = engine; }

Image::~Image() {
  // The texture lives in the window backend's context; hand it back for deletion.
  if (gl && liveEngine && glGeneration == liveEngine->GlGeneration()) {
    liveEngine->DeadTextures().push_back(gl);
    for (uint32_t smaller : glSmaller) liveEngine->DeadTextures().push_back(smaller);
  }
}

float Image::AlphaAt(float u, float v) const {
  if (width <= 0 || height <= 0 || rgba.empty()) return 1.0f;
  int x = std::clamp(static_cast<int>(u * width), 0, width - 1);
  int y = std::clamp(static_cast<int>(v * height), 0, height - 1);
  return rgba[(static_cast<size_t>(y) * width + x) * 4 + 3] / 255.0f;
}

bool DecodeImage(const std::string& path, Image& image, std::string& error) {
  if (!BindImage()) {
    error = "the picture library " GH_IMAGE_LIBRARY " cannot be loaded";
    return false;
  }
  SDL_Surface* loaded = IMG_Load(path.c_str());
  if (!loaded) {
    error = IMG_GetError();
    if (error.empty()) error = "not a picture this engine can read";
    return false;
  }
  image.width = loaded->w;
  image.height = loaded->h;
  // Plain RGB(A) pixels (every JPEG, most PNGs) convert straight into the
  // picture's own buffer; palettes and colour keys take SDL's full conversion.
  const Uint32 format = loaded->format->format;
  if (!SDL_ISPIXELFORMAT_INDEXED(format) && !SDL_HasColorKey(loaded) && !SDL_MUSTLOCK(loaded)) {
    image.rgba.resize(static_cast<size_t>(loaded->w) * loaded->h * 4);
    const int failed =
        SDL_ConvertPixels(loaded->w, loaded->h, format, loaded->pixels, loaded->pitch,
                          SDL_PIXELFORMAT_RGBA32, image.rgba.data(), loaded->w * 4);
    SDL_FreeSurface(loaded);
    if (failed) {
      error = SDL_GetError();
      image.rgba.clear();
      return false;
    }
    return true;
  }
  SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
  SDL_FreeSurface(loaded);
  if (!rgba) {
    error = SDL_GetError();
    return false;
  }
  image.rgba.resize(static_cast<size_t>(rgba->w) * rgba->h * 4);
  SDL_LockSurface(rgba);
  for (int y = 0; y < rgba->h; ++y)
    std::memcpy(image.rgba.data() + static_cast<size_t>(y) * rgba->w * 4,
                static_cast<const uint8_t*>(rgba->pixels) + static_cast<size_t>(y) * rgba->pitch,
                static_cast<size_t>(rgba->w) * 4);
  SDL_UnlockSurface(rgba);
  SDL_FreeSurface(rgba);
  return true;
}

bool ParseModel(const std::string& text, Model& model, std::string& error) {
  std::istringstream in(text);
  std::string line;
  bool magic = false, size = false;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    if (!magic) {
      if (line != conv::kModelMagic) {
        error = "not a quad model file";
        return false;
      }
      magic = true;
      continue;
    }
    std::istringstream words(line);
    std::string key;
    words >> key;
    if (key == "size") {
      float w = 0, h = 0;
      if (!(words >> w >> h) || !std::isfinite(w) || !std::isfinite(h) || w <= 0 || h <= 0 ||
          w > 1e6f || h > 1e6f) {
        error = "bad size line";
        return false;
      }
      model.width = w;
      model.height = h;
      size = true;
    }
  }
  if (!magic) {
    error = "not a quad model file";
    return false;
  }
  if (!size) {
    error = "the model has no size line";
    return false;
  }
  return true;
}

bool BuildFont(const std::string& path, FontData& font, std::string& error) {
  if (!EnsureTtfInit(error)) return false;
  TTF_Font* ttf = TTF_OpenFont(path.c_str(), conv::kFontRasterSize);
  if (!ttf) {
    error = TTF_GetError();
    if (error.empty()) error = "not a TrueType font";
    return false;
  }
  const int ascent = TTF_FontAscent(ttf);
  int minx, maxx, miny, maxy, advance;
  if (TTF_GlyphMetrics32(ttf, 'H', &minx, &maxx, &miny, &maxy, &advance) == 0 && maxy > 0)
    font.capHeight = static_cast<float>(maxy);
  else
    font.capHeight = std::max(1.0f, ascent * 0.72f);

  // Render every glyph of 8-bit text, crop it to its ink and pack it on shelves;
  // then the same glyphs stroked around their edges, for the outline drawn under them.
  struct Pending {
    int ch;
    bool outline;
    SDL_Surface* surface;
    int x0, y0, x1, y1;  // ink box in the surface
  };
  std::vector<Pending> pending;
  const SDL_Color white{255, 255, 255, 255};
  // The ink box of a rendered glyph, converted to RGBA; false (and freed) when it has none.
  auto render = [&](int ch, bool outline) -> bool {
    SDL_Surface* s = TTF_RenderGlyph32_Blended(ttf, ch, white);
    if (!s) return false;
    SDL_Surface* c = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_RGBA32, 0);
    SDL_FreeSurface(s);
    if (!c) return false;
    int x0 = c->w, y0 = c->h, x1 = -1, y1 = -1;
    SDL_LockSurface(c);
    for (int y = 0; y < c->h; ++y) {
      const uint8_t* row =
          static_cast<const uint8_t*>(c->pixels) + static_cast<size_t>(y) * c->pitch;
      for (int x = 0; x < c->w; ++x)
        if (row[x * 4 + 3]) {
          x0 = std::min(x0, x);
          x1 = std::max(x1, x);
          y0 = std::min(y0, y);
          y1 = std::max(y1, y);
        }
    }
    SDL_UnlockSurface(c);
    if (x1 < 0) {
      SDL_FreeSurface(c);
      return false;
    }
    pending.push_back({ch, outline, c, x0, y0, x1 + 1, y1 + 1});
    return true;
  };
  for (int ch = 32; ch < 256; ++ch) {
    if (ch >= 127 && ch < 160) continue;
    if (!TTF_GlyphIsProvided32(ttf, ch)) continue;
    if (TTF_GlyphMetrics32(ttf, ch, &minx, &maxx, &miny, &maxy, &advance) != 0) continue;
    Glyph& g = font.glyphs[ch];
    g.advance = static_cast<float>(advance);
    if (ch == ' ' || !render(ch, false)) continue;
    // The surface's rows are measured from the font's ascent line down; the ink's
    // horizontal place comes from the glyph metrics.
    const Pending& p = pending.back();
    g.left = static_cast<float>(minx);
    g.top = static_cast<float>(ascent - p.y0);
    g.atlasW = p.x1 - p.x0;
    g.atlasH = p.y1 - p.y0;
  }
  TTF_SetFontOutline(ttf, conv::kFontOutlinePixels);
  const size_t fills = pending.size();
  for (size_t i = 0; i < fills; ++i) {
    const int ch = pending[i].ch;
    if (!render(ch, true)) continue;
    // A stroke is as wide on every side: centre its ink on the letter's.
    const Pending& p = pending.back();
    Glyph& g = font.glyphs[ch];
    g.outlineW = p.x1 - p.x0;
    g.outlineH = p.y1 - p.y0;
    g.outlineLeft = g.left - (g.outlineW - g.atlasW) * 0.5f;
    g.outlineTop = g.top + (g.outlineH - g.atlasH) * 0.5f;
  }
  TTF_CloseFont(ttf);

  const int atlasWidth = 1024, pad = 2;
  int penX = pad, penY = pad, shelf = 0;
  for (Pending& p : pending) {
    int w = p.x1 - p.x0, h = p.y1 - p.y0;
    if (penX + w + pad > atlasWidth) {
      penX = pad;
      penY += shelf + pad;
      shelf = 0;
    }
    Glyph& g = font.glyphs[p.ch];
    (p.outline ? g.outlineX : g.atlasX) = penX;
    (p.outline ? g.outlineY : g.atlasY) = penY;
    penX += w + pad;
    shelf = std::max(shelf, h);
  }
  auto atlas = std::make_shared<Image>();
  atlas->path = path + "#atlas";
  atlas->width = atlasWidth;
  atlas->height = std::max(4, penY + shelf + pad);
  atlas->rgba.assign(static_cast<size_t>(atlas->width) * atlas->height * 4, 0);
  for (Pending& p : pending) {
    const Glyph& g = font.glyphs[p.ch];
    const int ax = p.outline ? g.outlineX : g.atlasX, ay = p.outline ? g.outlineY : g.atlasY;
    const int w = p.x1 - p.x0, h = p.y1 - p.y0;
    SDL_LockSurface(p.surface);
    for (int y = 0; y < h; ++y) {
      const uint8_t* src = static_cast<const uint8_t*>(p.surface->pixels) +
                           static_cast<size_t>(p.y0 + y) * p.surface->pitch + p.x0 * 4;
      uint8_t* dst = atlas->rgba.data() + (static_cast<size_t>(ay + y) * atlas->width + ax) * 4;
      for (int x = 0; x < w; ++x) {
        dst[x * 4 + 0] = 255;
        dst[x * 4 + 1] = 255;
        dst[x * 4 + 2] = 255;
        dst[x * 4 + 3] = src[x * 4 + 3];
      }
    }
    SDL_UnlockSurface(p.surface);
    SDL_FreeSurface(p.surface);
  }
  font.atlas = atlas;
  return true;
}

namespace {

uint32_t ReadLe32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Length of an Ogg Vorbis stream from its identification header (sample rate) and
// the granule position of its last page; false when the file is not Ogg Vorbis.
bool ProbeOgg(const std::string& path, uint32_t& durationMs, std::string& error) {
  std::ifstream in = os::OpenForReading(path);
  if (!in) {
    error = std::strerror(errno);
    return false;
  }
  std::vector<uint8_t> head(4096);
  in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(in.gcount()));
  if (head.size() < 4 || std::memcmp(head.data(), "OggS", 4) != 0) {
    error = "not an Ogg file";
    return false;
  }
  static const uint8_t kId[] = {1, 'v', 'o', 'r', 'b', 'i', 's'};
  auto it = std::search(head.begin(), head.end(), std::begin(kId), std::end(kId));
  if (it == head.end() || head.end() - it < 16) {
    error = "not an Ogg Vorbis stream";
    return false;
  }
  uint32_t rate = ReadLe32(&*(it + 12));
  if (rate == 0) {
    error = "bad Vorbis header";
    return false;
  }
  in.clear();
  in.seekg(0, std::ios::end);
  std::streamoff size = in.tellg();
  std::streamoff tailStart = std::max<std::streamoff>(0, size - 65536);
  in.seekg(tailStart);
  std::vector<uint8_t> tail(static_cast<size_t>(size - tailStart));
  in.read(reinterpret_cast<char*>(tail.data()), static_cast<std::streamsize>(tail.size()));
  // The last page with a finished packet holds the stream's length in samples.
  uint64_t granule = 0;
  for (size_t i = tail.size() >= 14 ? tail.size() - 14 + 1 : 0; i-- > 0;) {
    if (std::memcmp(&tail[i], "OggS", 4) != 0) continue;
    uint64_t g = ReadLe32(&tail[i + 6]) | (static_cast<uint64_t>(ReadLe32(&tail[i + 10])) << 32);
    if (g != UINT64_MAX) {
      granule = g;
      break;
    }
  }
  durationMs = static_cast<uint32_t>(std::min<uint64_t>(granule * 1000 / rate, UINT32_MAX));
  return true;
}

}  // namespace

bool ProbeSound(Sound& sound, std::string& error) {
  if (sound.music) return ProbeOgg(sound.path, sound.durationMs, error);
  SDL_AudioSpec spec;
  Uint8* buffer = nullptr;
  Uint32 length = 0;
  if (!SDL_LoadWAV(sound.path.c_str(), &spec, &buffer, &length)) {
    int64_t t, s;
    if (!os::StatFile(sound.path, t, s, error)) return false;
    error = SDL_GetError();
    if (error.empty()) error = "not a WAV file";
    return false;
  }
  SDL_FreeWAV(buffer);
  const uint32_t frameBytes = SDL_AUDIO_BITSIZE(spec.format) / 8 * spec.channels;
  if (frameBytes == 0 || spec.freq <= 0) {
    error = "bad WAV format";
    return false;
  }
  sound.durationMs = static_cast<uint32_t>(static_cast<uint64_t>(length / frameBytes) * 1000 /
                                           static_cast<uint64_t>(spec.freq));
  return true;
}

// ---- the engine's caches ------------------------------------------------------------

namespace {

// The cached item of `path` if the file still has the time and size it was decoded with.
template <typename T>
std::shared_ptr<T> FreshCached(const std::map<std::string, std::shared_ptr<T>>& cache,
                               const std::string& path, int64_t time, int64_t size) {
  auto found = cache.find(path);
  if (found != cache.end() && found->second->fileTime == time && found->second->fileSize == size)
    return found->second;
  return nullptr;
}

// Pictures and fonts are decoded once per file and decoded again only when the
// file on disk changed (its time or size). False with `error` when the file
// cannot be read or decoded.
template <typename T, typename Decode>
bool LoadCached(const std::string& path, std::map<std::string, std::shared_ptr<T>>& cache,
                Decode decode, std::shared_ptr<T>& out, std::string& error) {
  int64_t time = 0, size = 0;
  if (!os::StatFile(path, time, size, error)) return false;
  if (auto fresh = FreshCached(cache, path, time, size)) {
    out = std::move(fresh);
    return true;
  }
  auto item = std::make_shared<T>();
  item->path = path;
  item->fileTime = time;
  item->fileSize = size;
  if (!decode(path, *item, error)) return false;
  cache[path] = item;
  out = item;
  return true;
}

}  // namespace

void Engine::TexturePrefetch(const char* file) {
  if (!file || prefetch_.thread.joinable()) {
    if (!file) TakePrefetchedImage();
    return;  // one at a time: the first picture is the one that matters
  }
  const std::string path = ResolvePath(file);
  int64_t time = 0, size = 0;
  std::string error;
  // A file that cannot be read is reported when its texture is made, as ever.
  if (!os::StatFile(path, time, size, error) || FreshCached(imageCache_, path, time, size)) return;
  auto image = std::make_shared<Image>();
  image->path = path;
  image->fileTime = time;
  image->fileSize = size;
  prefetch_.image = image;
  prefetch_.decoded = false;
  try {
    prefetch_.thread = std::thread([this, image] {
      std::string ignored;  // a failure is decoded again, and told, by the texture's load
      prefetch_.decoded = DecodeImage(image->path, *image, ignored);
    });
  } catch (const std::system_error&) {
    prefetch_.image.reset();  // no thread to spare: the texture decodes it
  }
}

void Engine::TakePrefetchedImage() {
  if (!prefetch_.thread.joinable()) return;
  prefetch_.thread.join();
  // The cache checks it against the file's time and size like any other picture.
  if (prefetch_.decoded) imageCache_[prefetch_.image->path] = prefetch_.image;
  prefetch_.image.reset();
  prefetch_.decoded = false;
}

bool Engine::LoadImage(const std::string& file, ImageRef& out) {
  TakePrefetchedImage();
  std::string error;
  if (LoadCached(ResolvePath(file), imageCache_, DecodeImage, out, error)) return true;
  LoadFailed(file, error);
  return false;
}

bool Engine::LoadModel(const std::string& file, Model& out) {
  const std::string path = ResolvePath(file);
  int64_t time = 0, size = 0;
  std::string error;
  if (!os::StatFile(path, time, size, error)) {
    LoadFailed(file, error);
    return false;
  }
  const std::string key = path + '\n' + std::to_string(time) + '\n' + std::to_string(size);
  auto found = modelCache_.find(key);
  if (found != modelCache_.end()) {
    out = found->second;
    return true;
  }
  if (size > 65536) {
    LoadFailed(file, "the model file is too large");
    return false;
  }
  std::ifstream in = os::OpenForReading(path);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) {
    LoadFailed(file, std::strerror(errno));
    return false;
  }
  Model model;
  if (!ParseModel(text, model, error)) {
    LoadFailed(file, error);
    return false;
  }
  modelCache_[key] = model;
  out = model;
  return true;
}

bool Engine::LoadFont(const std::string& file, FontRef& out) {
  std::string error;
  if (LoadCached(ResolvePath(file), fontCache_, BuildFont, out, error)) return true;
  LoadFailed(file, error);
  return false;
}

void Engine::LoadFailed(const std::string& file, const std::string& reason) {
  RaiseError("Cannot load \"" + os::ShownPath(file) + "\": " + reason);
}

}  // namespace impact

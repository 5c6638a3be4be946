// Draws the engine's scene with OpenGL 3.3 core: textured, alpha-blended quads
// batched by texture into one vertex buffer per frame, a perspective pass for the
// world (lit quads, additive particles) and an orthographic pass for the screen
// plane (sprites, glyph-atlas text, the pointer).
//
// With a software rasteriser filling pixels is nearly all a frame costs, so the
// lights are computed per vertex (large lit quads are cut into a grid fine enough
// for the gentle falloff, where the light varies across them at all), fully opaque
// pictures are drawn without blending, white quads skip the colour multiply, and a
// frame whose picture equals the last one drawn is not drawn again.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/Scene.h"

namespace impact {

class Engine;

class Renderer {
 public:
  // False when the context lacks what we need (shaders that do not compile).
  bool Init(std::string& error);
  void Shutdown();
  // Collects the whole scene's quads for the view rectangle (pixels of the
  // drawable); true when the picture differs from the last one drawn (or the
  // window's contents were lost, see Invalidate).
  bool BuildScene(Engine& engine, int viewX, int viewY, int viewW, int viewH, int fullW, int fullH);
  // Draws what BuildScene collected.
  void DrawBuilt(Engine& engine);
  // Draws one sprite alone over a cleared view.
  void DrawSprite(Engine& engine, const Sprite& sprite, int viewX, int viewY, int viewW, int viewH,
                  int fullW, int fullH);
  // Benchmarks: writes every quad of the frames drawn from now on to `out` (one
  // "q" line per quad, in view pixels, before any cutting into a grid), so that
  // the floor program can draw exactly the same quads.
  void TraceQuadsTo(std::FILE* out) { trace_ = out; }
  // Writes the quads collected for the frame about to be drawn, numbered `frame`.
  void TraceFrame(unsigned long long frame);
  // The window shows something else now (exposed, resized, a picture drawn
  // alone): the next scene is drawn even if it did not change.
  void Invalidate() { drawn_ = false; }

 private:
  enum Pass : uint8_t { kWorld, kScreen };
  enum Blend : uint8_t { kAlpha, kAdditive, kOpaque };
  struct Batch {
    uint32_t firstQuad;
    uint32_t quads;
    uint32_t texture;
    Pass pass;
    Blend blend;
    bool plain;  // every quad white and unlit: the texture as it is
    bool operator==(const Batch&) const = default;
  };
  // How the lights fall across a lit quad.
  enum class Lighting : uint8_t { kVaries, kEven, kFull };
  // What a frame's picture depends on besides its quads.
  struct FrameState {
    int view[6] = {};
    float world[16] = {}, lights[18] = {};
    bool operator==(const FrameState&) const = default;
  };
  // A picture's texture as a quad needs it.
  struct Texture {
    uint32_t id = 0;
    int width = 1, height = 1;
    bool opaque = false;
  };

  Texture TextureOf(Engine& engine, Image* image);
  // A glyph atlas drawn at `atlasPerPixel` of its pixels a screen pixel: its copy
  // nearest that size (the atlas itself when drawn at about its size or larger).
  Texture AtlasCopy(Engine& engine, Image* image, float atlasPerPixel);
  // First use in this context: uploads the picture.
  void Upload(Engine& engine, Image& image);
  // An axis-aligned quad from (x0, y0) to (x1, y1) at depth z; uv = (u0, v0, u1, v1)
  // with v0 the top row of the picture.
  void Quad(Pass pass, Blend blend, const Texture& texture, float x0, float y0, float x1, float y1,
            float z, const float uv[4], const iColor& color, bool lit);
  Lighting LightingOver(float x0, float y0, float x1, float y1, float z) const;
  void Emit(float x0, float y0, float x1, float y1, float z, const float uv[4], const float rgba[4],
            float lit);
  void Trace(Pass pass, Blend blend, const Texture& texture, float x0, float y0, float x1, float y1,
             float z, const float uv[4], const float rgba[4], bool plain);
  void AddSprite(Engine& engine, const Sprite& s);
  void AddPrints(Engine& engine);
  void AddWorld(Engine& engine);
  void AddSmoke(Engine& engine, const ParticleSystem& p);
  static iColor FireColour(const iVec3& start, const iVec3& end, float t);
  // The fire's look: where on its life a particle is orange, how bright it glows,
  // and which of its particles leave smoke (every kSmokeEvery-th, from kSmokeFrom of
  // their life, at most kSmokeOpacity).
  static constexpr float kFireOrangeAt = 0.35f;
  static constexpr float kFireIntensity = 0.8f;
  static constexpr size_t kSmokeEvery = 6;
  static constexpr float kSmokeFrom = 0.3f;
  static constexpr float kSmokeOpacity = 0.55f;
  void Begin(Engine& engine);
  void Flush(Engine& engine, int viewX, int viewY, int viewW, int viewH, int fullW, int fullH);
  // Keeps this frame's quads as the last drawn picture; true when they differ from it.
  bool Changed();

  // Two programs: `plain` leaves out the colour and light multiply.
  struct Program {
    uint32_t id = 0;
    int uProj = -1, uLightPos = -1, uLightColor = -1;
  };
  bool Link(Program& program, const char* fragmentSource, std::string& error);
  Program lit_, plain_;
  uint32_t vao_ = 0, vbo_ = 0, ibo_ = 0, white_ = 0;
  float world_[16] = {}, screen_[16] = {};
  int viewW_ = 0, viewH_ = 0;
  std::FILE* trace_ = nullptr;
  uint32_t indexQuads_ = 0;
  size_t vboBytes_ = 0;
  std::vector<float> vertices_;
  std::vector<Batch> batches_;
  FrameState state_;
  std::string traceLines_;  // this frame's quads, written only if it is drawn
  // The last picture drawn, and whether the window still shows it.
  std::vector<float> drawnVertices_;
  std::vector<Batch> drawnBatches_;
  FrameState drawnState_;
  bool drawn_ = false;
  bool texturesChanged_ = false;  // uploaded or deleted since the last drawn frame
};

}  // namespace impact

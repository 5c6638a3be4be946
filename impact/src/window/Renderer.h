// Draws the engine's scene with OpenGL 3.3 core: textured, alpha-blended quads
// batched by texture into one vertex buffer per frame, a perspective pass for the
// world (lit quads, additive particles) and an orthographic pass for the screen
// plane (sprites, glyph-atlas text, the pointer).
#pragma once
#include <cstdint>
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
  // Draws the whole scene into the view rectangle (pixels of the drawable).
  void DrawScene(Engine& engine, int viewX, int viewY, int viewW, int viewH, int fullW, int fullH);
  // Draws one sprite alone over a cleared view.
  void DrawSprite(Engine& engine, const Sprite& sprite, int viewX, int viewY, int viewW, int viewH,
                  int fullW, int fullH);

 private:
  enum Pass : uint8_t { kWorld, kScreen };
  enum Blend : uint8_t { kAlpha, kAdditive };
  struct Batch {
    uint32_t firstQuad;
    uint32_t quads;
    uint32_t texture;
    Pass pass;
    Blend blend;
    bool lit;
  };
  struct Program {
    uint32_t id = 0;
    int uProj = -1, uLightPos = -1, uLightColor = -1, uAmbient = -1, uRamp = -1, uFalloff = -1,
        uTex = -1;
  };
  bool Build(Program& p, const char* fragment, std::string& error);

  uint32_t TextureOf(Engine& engine, Image* image);
  void Quad(Pass pass, Blend blend, uint32_t texture, const float corners[4][3], const float uv[4],
            const iColor& color, float lit);
  void AddSprite(Engine& engine, const Sprite& s);
  void AddPrints(Engine& engine);
  void AddWorld(Engine& engine);
  void Begin(Engine& engine);
  void Flush(Engine& engine, int viewX, int viewY, int viewW, int viewH, int fullW, int fullH);

  // Unlit quads (sprites, text, particles: most of a frame) take the cheap program.
  Program unlit_, lit_;
  uint32_t vao_ = 0, vbo_ = 0, ibo_ = 0, white_ = 0;
  uint32_t indexQuads_ = 0;
  size_t vboBytes_ = 0;
  std::vector<float> vertices_;
  std::vector<Batch> batches_;
};

}  // namespace impact

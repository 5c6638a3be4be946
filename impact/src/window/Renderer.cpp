#include "window/Renderer.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "core/Conventions.h"
#include "core/Engine.h"
#include "core/Text.h"

namespace impact {

namespace {

constexpr int kFloatsPerVertex = 10;  // position 3, uv 2, colour 4, lit 1

// Smaller copies kept of a glyph atlas: down to an eighth of its size.
constexpr size_t kAtlasCopies = 3;

// A premultiplied RGBA picture at half its size, each pixel the mean of four.
std::vector<uint8_t> HalfSize(const std::vector<uint8_t>& rgba, int width, int height) {
  const int w = width / 2, h = height / 2;
  std::vector<uint8_t> out(static_cast<size_t>(w) * h * 4);
  for (int y = 0; y < h; ++y) {
    const uint8_t* row0 = &rgba[static_cast<size_t>(2 * y) * width * 4];
    const uint8_t* row1 = row0 + static_cast<size_t>(width) * 4;
    uint8_t* to = &out[static_cast<size_t>(y) * w * 4];
    for (int x = 0; x < w * 4; ++x) {
      const int i = (x / 4) * 8 + x % 4;
      to[x] = static_cast<uint8_t>((row0[i] + row0[i + 4] + row1[i] + row1[i + 4] + 2) / 4);
    }
  }
  return out;
}

// Bilinear, clamped to the picture's edge, for the bound texture.
void SetFilter() {
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

// Lit quads larger than this (world units) are cut into cells of at most this size,
// so that lighting per vertex follows the falloff as closely as lighting per pixel,
// unless the light is the same all across them.
constexpr float kLitCell = 4.0f;
constexpr int kMaxLitCells = 16;

// Lit quads face the camera (normal -z): a light lights them when it is in front
// of them, with a gentle falloff over distance, plus a small ambient term.
const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 aPos;
layout(location = 1) in vec2 aUv;
layout(location = 2) in vec4 aColor;
layout(location = 3) in float aLit;
uniform mat4 uProj;
uniform vec3 uLightPos[3];
uniform vec3 uLightColor[3];
uniform float uAmbient;
uniform float uRamp;
uniform float uFalloff;
out vec2 vUv;
out vec4 vColor;
void main() {
  gl_Position = uProj * vec4(aPos, 1.0);
  vUv = aUv;
  vec4 c = aColor;
  if (aLit > 0.5) {
    vec3 sum = vec3(uAmbient);
    for (int i = 0; i < 3; ++i) {
      vec3 d = uLightPos[i] - aPos;
      float facing = clamp(-d.z / uRamp, 0.0, 1.0);
      float r = length(d) / uFalloff;
      sum += uLightColor[i] * facing / (1.0 + r * r);
    }
    c.rgb *= min(sum, vec3(1.0));
  }
  vColor = c;
}
)";

// Textures and colours are premultiplied by alpha.
const char* kFragmentShader = R"(#version 330 core
in vec2 vUv;
in vec4 vColor;
uniform sampler2D uTex;
out vec4 fragColor;
void main() { fragColor = texture(uTex, vUv) * vColor; }
)";

// White, unlit quads: the multiply by one is a cost per pixel for nothing.
const char* kPlainFragmentShader = R"(#version 330 core
in vec2 vUv;
uniform sampler2D uTex;
out vec4 fragColor;
void main() { fragColor = texture(uTex, vUv); }
)";

// A light's share at a point of a lit quad, as the vertex shader computes it
// (without its colour).
float LightShare(const iVec3& light, float x, float y, float z) {
  const float dx = light.x - x, dy = light.y - y, dz = light.z - z;
  const float facing = std::clamp(-dz / conv::kLightFacingRamp, 0.0f, 1.0f);
  const float r = std::sqrt(dx * dx + dy * dy + dz * dz) / conv::kLightFalloff;
  return facing / (1.0f + r * r);
}

GLuint Compile(GLenum type, const char* source, std::string& error) {
  GLuint s = glCreateShader(type);
  glShaderSource(s, 1, &source, nullptr);
  glCompileShader(s);
  GLint ok = 0;
  glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[1024] = {};
    glGetShaderInfoLog(s, sizeof log - 1, nullptr, log);
    error = std::string("shader: ") + log;
    glDeleteShader(s);
    return 0;
  }
  return s;
}

void Ortho(float m[16]) {
  std::memset(m, 0, 16 * sizeof(float));
  m[0] = 1.0f / conv::kPlaneHalfWidth;
  m[5] = 1.0f / conv::kPlaneHalfHeight;
  m[10] = -1;
  m[15] = 1;
}

// Perspective from the camera looking along +z; the plane at kCameraDistance in
// front of it shows exactly the screen plane.
void Perspective(const iVec3& eye, float m[16]) {
  const float n = conv::kNearPlane, f = conv::kFarPlane;
  const float sx = conv::kCameraDistance / conv::kPlaneHalfWidth;
  const float sy = conv::kCameraDistance / conv::kPlaneHalfHeight;
  // Column-major. Eye-space depth is z - eye.z (positive in front).
  std::memset(m, 0, 16 * sizeof(float));
  m[0] = sx;
  m[5] = sy;
  m[10] = (f + n) / (f - n);
  m[11] = 1;
  m[14] = -2 * f * n / (f - n);
  // Translate by -eye: fold into the fourth column.
  m[12] = -sx * eye.x;
  m[13] = -sy * eye.y;
  m[14] += -m[10] * eye.z;
  m[15] = -eye.z;
}

}  // namespace

bool Renderer::Link(Program& program, const char* fragmentSource, std::string& error) {
  GLuint vs = Compile(GL_VERTEX_SHADER, kVertexShader, error);
  if (!vs) return false;
  GLuint fs = Compile(GL_FRAGMENT_SHADER, fragmentSource, error);
  if (!fs) {
    glDeleteShader(vs);
    return false;
  }
  const GLuint id = glCreateProgram();
  program.id = id;
  glAttachShader(id, vs);
  glAttachShader(id, fs);
  glLinkProgram(id);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint ok = 0;
  glGetProgramiv(id, GL_LINK_STATUS, &ok);
  if (!ok) {
    error = "shader program does not link";
    return false;
  }
  program.uProj = glGetUniformLocation(id, "uProj");
  program.uLightPos = glGetUniformLocation(id, "uLightPos");
  program.uLightColor = glGetUniformLocation(id, "uLightColor");
  glUseProgram(id);
  glUniform1i(glGetUniformLocation(id, "uTex"), 0);
  glUniform1f(glGetUniformLocation(id, "uAmbient"), conv::kAmbient);
  glUniform1f(glGetUniformLocation(id, "uRamp"), conv::kLightFacingRamp);
  glUniform1f(glGetUniformLocation(id, "uFalloff"), conv::kLightFalloff);
  return true;
}

bool Renderer::Init(std::string& error) {
  // The program that colours and lights is linked when a frame first needs it:
  // the first frame, the loading picture, does not.
  if (!Link(plain_, kPlainFragmentShader, error)) return false;
  glGenVertexArrays(1, &vao_);
  glBindVertexArray(vao_);
  glGenBuffers(1, &vbo_);
  glGenBuffers(1, &ibo_);
  glBindBuffer(GL_ARRAY_BUFFER, vbo_);
  const GLsizei stride = kFloatsPerVertex * sizeof(float);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, nullptr);
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<void*>(3 * sizeof(float)));
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(2, 4, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<void*>(5 * sizeof(float)));
  glEnableVertexAttribArray(3);
  glVertexAttribPointer(3, 1, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<void*>(9 * sizeof(float)));

  const uint8_t white[4] = {255, 255, 255, 255};
  glGenTextures(1, &white_);
  glBindTexture(GL_TEXTURE_2D, white_);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);

  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glEnable(GL_BLEND);
  vertices_.reserve(4096 * 4 * kFloatsPerVertex);
  batches_.reserve(256);
  return true;
}

void Renderer::Shutdown() {
  for (Program* p : {&lit_, &plain_}) {
    if (p->id) glDeleteProgram(p->id);
    *p = Program{};
  }
  drawn_ = false;
  if (vbo_) glDeleteBuffers(1, &vbo_);
  if (ibo_) glDeleteBuffers(1, &ibo_);
  if (vao_) glDeleteVertexArrays(1, &vao_);
  if (white_) glDeleteTextures(1, &white_);
  vao_ = vbo_ = ibo_ = white_ = 0;
  indexQuads_ = 0;
  vboBytes_ = 0;
}

Renderer::Texture Renderer::AtlasCopy(Engine& engine, Image* image, float atlasPerPixel) {
  Texture t = TextureOf(engine, image);
  if (!image || image->glSmaller.empty() || atlasPerPixel < 1.5f) return t;
  // The copy whose size is nearest: a quarter-size copy serves 3 to 6 atlas
  // pixels a screen pixel.
  const int level = std::min(static_cast<int>(std::log2(atlasPerPixel / 1.5f)) + 1,
                             static_cast<int>(image->glSmaller.size()));
  return {image->glSmaller[level - 1], std::max(1, t.width >> level),
          std::max(1, t.height >> level), t.opaque};
}

Renderer::Texture Renderer::TextureOf(Engine& engine, Image* image) {
  if (!image || image->width <= 0 || image->height <= 0) return {white_, 1, 1, true};
  if (!image->gl || image->glGeneration != engine.GlGeneration()) Upload(engine, *image);
  return {image->gl, image->width, image->height, image->glOpaque};
}

void Renderer::Upload(Engine& engine, Image& image) {
  // Premultiplied by alpha so that filtering and blending leave no dark fringes;
  // an opaque picture (every JPEG, the backdrops) is its own premultiplied copy,
  // uploaded as it is: the loading picture is the first frame, and waits for this.
  const size_t bytes = image.rgba.size() / 4 * 4;
  bool opaque = true;
  for (size_t i = 3; i < bytes && opaque; i += 4) opaque = image.rgba[i] == 255;
  std::vector<uint8_t> pre;
  if (!opaque) {
    pre.resize(bytes);
    for (size_t i = 0; i < bytes; i += 4) {
      const unsigned a = image.rgba[i + 3];
      pre[i + 0] = static_cast<uint8_t>((image.rgba[i + 0] * a + 127) / 255);
      pre[i + 1] = static_cast<uint8_t>((image.rgba[i + 1] * a + 127) / 255);
      pre[i + 2] = static_cast<uint8_t>((image.rgba[i + 2] * a + 127) / 255);
      pre[i + 3] = static_cast<uint8_t>(a);
    }
  }
  GLuint tex = 0;
  glGenTextures(1, &tex);
  glBindTexture(GL_TEXTURE_2D, tex);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
               opaque ? image.rgba.data() : pre.data());
  SetFilter();
  // Glyph atlases are drawn well below their raster size. Each print takes the
  // copy nearest its size, filtered bilinearly: as smooth as mipmaps, and
  // software rasterisers keep their fast path, which mipmapping leaves.
  const bool atlas = image.path.size() > 6 && image.path.ends_with("#atlas");
  if (atlas && opaque) pre = image.rgba;
  image.glSmaller.clear();  // copies made in an earlier context went with it
  for (int w = image.width, h = image.height;
       atlas && w >= 2 && h >= 2 && image.glSmaller.size() < kAtlasCopies;) {
    pre = HalfSize(pre, w, h);
    w /= 2;
    h /= 2;
    GLuint smaller = 0;
    glGenTextures(1, &smaller);
    glBindTexture(GL_TEXTURE_2D, smaller);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, pre.data());
    SetFilter();
    image.glSmaller.push_back(smaller);
  }
  image.gl = tex;
  image.glGeneration = engine.GlGeneration();
  image.glOpaque = opaque;
  texturesChanged_ = true;
}

void Renderer::Quad(Pass pass, Blend blend, const Texture& texture, float x0, float y0, float x1,
                    float y1, float z, const float uv[4], const iColor& color, bool lit) {
  const float a = color.alpha;
  if (blend == kAlpha && a >= 1.0f && texture.opaque) blend = kOpaque;
  const float rgba[4] = {color.red * a, color.green * a, color.blue * a, a};
  int nx = 1, ny = 1;
  if (lit) {
    const Lighting lighting = LightingOver(x0, y0, x1, y1, z);
    if (lighting == Lighting::kFull) {
      lit = false;  // every channel clamps to one everywhere: the light changes nothing
    } else if (lighting == Lighting::kVaries) {
      nx = std::clamp(static_cast<int>(std::ceil(std::fabs(x1 - x0) / kLitCell)), 1, kMaxLitCells);
      ny = std::clamp(static_cast<int>(std::ceil(std::fabs(y1 - y0) / kLitCell)), 1, kMaxLitCells);
    }
  }
  const bool plain = !lit && rgba[0] == 1.0f && rgba[1] == 1.0f && rgba[2] == 1.0f && a == 1.0f;
  if (trace_) Trace(pass, blend, texture, x0, y0, x1, y1, z, uv, rgba, plain);
  if (batches_.empty() || batches_.back().texture != texture.id || batches_.back().pass != pass ||
      batches_.back().blend != blend || batches_.back().plain != plain) {
    batches_.push_back({static_cast<uint32_t>(vertices_.size() / (4 * kFloatsPerVertex)), 0,
                        texture.id, pass, blend, plain});
  }
  for (int j = 0; j < ny; ++j) {
    const float tb = static_cast<float>(j) / ny, tt = static_cast<float>(j + 1) / ny;
    for (int i = 0; i < nx; ++i) {
      const float tl = static_cast<float>(i) / nx, tr = static_cast<float>(i + 1) / nx;
      // v runs from uv[3] at the bottom edge to uv[1] at the top.
      const float cell[4] = {uv[0] + (uv[2] - uv[0]) * tl, uv[3] + (uv[1] - uv[3]) * tt,
                             uv[0] + (uv[2] - uv[0]) * tr, uv[3] + (uv[1] - uv[3]) * tb};
      Emit(x0 + (x1 - x0) * tl, y0 + (y1 - y0) * tb, x0 + (x1 - x0) * tr, y0 + (y1 - y0) * tt, z,
           cell, rgba, lit ? 1.0f : 0.0f);
    }
  }
  batches_.back().quads += static_cast<uint32_t>(nx * ny);
}

Renderer::Lighting Renderer::LightingOver(float x0, float y0, float x1, float y1, float z) const {
  // A light's share falls with the distance from it, so over the quad it is least
  // at a corner and most at the point nearest the light. A channel is full when
  // even the least light reaches one (with a margin for the shader's rounding),
  // even when no light reaches it at all.
  const float xs[4] = {x0, x1, x1, x0}, ys[4] = {y0, y0, y1, y1};
  bool full = true, even = true;
  float least[3] = {conv::kAmbient, conv::kAmbient, conv::kAmbient};
  bool reached[3] = {false, false, false};
  for (int i = 0; i < 3; ++i) {
    const iVec3 at{state_.lights[i * 3], state_.lights[i * 3 + 1], state_.lights[i * 3 + 2]};
    const float* color = &state_.lights[9 + i * 3];
    float minShare = LightShare(at, xs[0], ys[0], z), maxShare = minShare;
    for (int c = 1; c < 4; ++c) {
      const float share = LightShare(at, xs[c], ys[c], z);
      minShare = std::min(minShare, share);
      maxShare = std::max(maxShare, share);
    }
    const float nx = std::clamp(at.x, std::min(x0, x1), std::max(x0, x1));
    const float ny = std::clamp(at.y, std::min(y0, y1), std::max(y0, y1));
    maxShare = std::max(maxShare, LightShare(at, nx, ny, z));
    for (int ch = 0; ch < 3; ++ch) {
      least[ch] += color[ch] * minShare;
      if (color[ch] != 0.0f && maxShare > 0.0f) reached[ch] = true;
    }
  }
  for (int ch = 0; ch < 3; ++ch) {
    const bool chFull = least[ch] >= 1.001f;
    full = full && chFull;
    even = even && (chFull || !reached[ch]);
  }
  return full ? Lighting::kFull : even ? Lighting::kEven : Lighting::kVaries;
}

void Renderer::Emit(float x0, float y0, float x1, float y1, float z, const float uv[4],
                    const float rgba[4], float lit) {
  // Corners: bottom-left, bottom-right, top-right, top-left.
  const float xs[4] = {x0, x1, x1, x0}, ys[4] = {y0, y0, y1, y1};
  const float us[4] = {uv[0], uv[2], uv[2], uv[0]};
  const float vs[4] = {uv[3], uv[3], uv[1], uv[1]};
  for (int i = 0; i < 4; ++i) {
    const float v[kFloatsPerVertex] = {xs[i],   ys[i],   z,       us[i],   vs[i],
                                       rgba[0], rgba[1], rgba[2], rgba[3], lit};
    vertices_.insert(vertices_.end(), v, v + kFloatsPerVertex);
  }
}

void Renderer::TraceFrame(unsigned long long frame) {
  if (!trace_) return;
  std::fprintf(trace_, "f %llu\n", frame);
  std::fputs(traceLines_.c_str(), trace_);
}

void Renderer::Trace(Pass pass, Blend blend, const Texture& texture, float x0, float y0, float x1,
                     float y1, float z, const float uv[4], const float rgba[4], bool plain) {
  const float* m = pass == kWorld ? world_ : screen_;
  float px[2], py[2];
  const float xs[2] = {x0, x1}, ys[2] = {y0, y1};
  for (int i = 0; i < 2; ++i) {
    const float cx = m[0] * xs[i] + m[4] * ys[i] + m[8] * z + m[12];
    const float cy = m[1] * xs[i] + m[5] * ys[i] + m[9] * z + m[13];
    const float cw = m[3] * xs[i] + m[7] * ys[i] + m[11] * z + m[15];
    const float w = cw != 0 ? cw : 1;
    px[i] = (cx / w + 1) * 0.5f * viewW_;
    py[i] = (1 - cy / w) * 0.5f * viewH_;
  }
  const char mode = blend == kOpaque ? 'o' : blend == kAdditive ? '+' : 'a';
  // Coloured ('c': a colour or light multiplies the picture, premultiplied rgba
  // follows) or plain ('p').
  char line[200];
  std::snprintf(line, sizeof line,
                "q %u %d %d %c %.1f %.1f %.1f %.1f %.4f %.4f %.4f %.4f %c %.3f %.3f %.3f %.3f\n",
                texture.id, texture.width, texture.height, mode, px[0], py[1], px[1], py[0], uv[0],
                uv[1], uv[2], uv[3], plain ? 'p' : 'c', rgba[0], rgba[1], rgba[2], rgba[3]);
  traceLines_ += line;
}

void Renderer::AddSprite(Engine& engine, const Sprite& s) {
  const float hw = s.model.width * s.scale.x * 0.5f;
  const float hh = s.model.height * s.scale.y * 0.5f;
  const float x = s.location.x, y = s.location.y;
  const float uv[4] = {0, 0, 1, 1};
  Quad(kScreen, kAlpha, TextureOf(engine, s.image.get()), x - hw, y - hh, x + hw, y + hh, 0, uv,
       s.color, false);
}

void Renderer::AddPrints(Engine& engine) {
  // Screen pixels a screen unit.
  const float pixels = static_cast<float>(viewW_) / (2 * conv::kPlaneHalfWidth);
  for (const Print& p : engine.Prints()) {
    const FontData& font = *p.font;
    // All of a print's letters shrink the atlas alike (the larger of its two scales).
    const float shown =
        UnitsPerFontPixel(font) * std::max(std::fabs(p.scale.x), std::fabs(p.scale.y)) * pixels;
    const Texture tex = AtlasCopy(engine, font.atlas.get(), shown > 0 ? 1.0f / shown : 1.0f);
    const float iw = 1.0f / font.atlas->width, ih = 1.0f / font.atlas->height;
    const char* text = engine.PrintTextAt(p);
    // The dark outline first, under every letter of the print; a print that is
    // itself dark (a shadow) needs none.
    const float light = std::max({p.color.red, p.color.green, p.color.blue});
    if (light > 0.25f) {
      const iColor dark{0, 0, 0, p.color.alpha * conv::kOutlineOpacity};
      LayoutText(font, text, p.textLength, p.left, p.baseline, p.scale.x, p.scale.y, p.spacing,
                 [&](const Glyph& g, float x0, float y0, float x1, float y1) {
                   if (g.outlineW <= 0) return;
                   const float kx = (x1 - x0) / g.atlasW, ky = (y1 - y0) / g.atlasH;
                   const float ox0 = x0 + (g.outlineLeft - g.left) * kx;
                   const float oy1 = y1 + (g.outlineTop - g.top) * ky;
                   const float uv[4] = {g.outlineX * iw, g.outlineY * ih,
                                        (g.outlineX + g.outlineW) * iw,
                                        (g.outlineY + g.outlineH) * ih};
                   Quad(kScreen, kAlpha, tex, ox0, oy1 - g.outlineH * ky, ox0 + g.outlineW * kx,
                        oy1, 0, uv, dark, false);
                 });
    }
    LayoutText(font, text, p.textLength, p.left, p.baseline, p.scale.x, p.scale.y, p.spacing,
               [&](const Glyph& g, float x0, float y0, float x1, float y1) {
                 const float uv[4] = {g.atlasX * iw, g.atlasY * ih, (g.atlasX + g.atlasW) * iw,
                                      (g.atlasY + g.atlasH) * ih};
                 Quad(kScreen, kAlpha, tex, x0, y0, x1, y1, 0, uv, p.color, false);
               });
  }
}

void Renderer::AddWorld(Engine& engine) {
  const float uvFull[4] = {0, 0, 1, 1};
  for (const auto& [handle, m] : engine.Meshes()) {
    if (!m.shown) continue;
    const float hw = m.model.width * m.scale.x * 0.5f;
    const float hh = m.model.height * m.scale.y * 0.5f;
    const float x = m.location.x, y = m.location.y, z = m.location.z;
    Quad(kWorld, kAlpha, TextureOf(engine, m.image.get()), x - hw, y - hh, x + hw, y + hh, z,
         uvFull, iColor{1, 1, 1, 1}, m.lit);
  }
  for (const auto& [handle, p] : engine.Particles()) {
    if (!p.shown || p.particles.empty()) continue;
    const bool additive = p.mode == 2;
    if (additive && p.smoke) AddSmoke(engine, p);
    const Texture tex = TextureOf(engine, p.image.get());
    const Blend blend = additive ? kAdditive : kAlpha;
    for (const Particle& q : p.particles) {
      const float t = q.life > 0 ? std::clamp(q.age / q.life, 0.0f, 1.0f) : 1.0f;
      const float h = (q.startSize + (q.endSize - q.startSize) * t) * 0.5f;
      iColor c{p.startColor.x + (p.endColor.x - p.startColor.x) * t,
               p.startColor.y + (p.endColor.y - p.startColor.y) * t,
               p.startColor.z + (p.endColor.z - p.startColor.z) * t, 1.0f};
      if (additive) c = FireColour(p.startColor, p.endColor, t);
      const float x = q.position.x, y = q.position.y, z = q.position.z;
      Quad(kWorld, blend, tex, x - h, y - h, x + h, y + h, z, uvFull, c, false);
    }
  }
}

// Glowing particles cool as they age: from the start colour through an orange of
// it to the end colour, dimming all the way, so a burst is a fireball and not a
// white blob of added copies.
iColor Renderer::FireColour(const iVec3& start, const iVec3& end, float t) {
  const iVec3 orange{start.x, start.y * 0.55f, start.z * 0.15f};
  const float k = t < kFireOrangeAt ? t / kFireOrangeAt : (t - kFireOrangeAt) / (1 - kFireOrangeAt);
  const iVec3& a = t < kFireOrangeAt ? start : orange;
  const iVec3& b = t < kFireOrangeAt ? orange : end;
  const float dim = kFireIntensity * (1 - 0.6f * t);
  return iColor{(a.x + (b.x - a.x) * k) * dim, (a.y + (b.y - a.y) * k) * dim,
                (a.z + (b.z - a.z) * k) * dim, 1.0f};
}

// Every few particles of a burst leave a dark puff that rises, grows and thins out
// over the second part of their life; drawn before the glow, which stays in front.
void Renderer::AddSmoke(Engine& engine, const ParticleSystem& p) {
  const Texture tex = TextureOf(engine, p.smoke.get());
  const float uvFull[4] = {0, 0, 1, 1};
  for (size_t i = 0; i < p.particles.size(); i += kSmokeEvery) {
    const Particle& q = p.particles[i];
    const float t = q.life > 0 ? std::clamp(q.age / q.life, 0.0f, 1.0f) : 1.0f;
    if (t < kSmokeFrom) continue;
    const float s = (t - kSmokeFrom) / (1 - kSmokeFrom);
    const float h = (q.startSize + (q.endSize - q.startSize) * t) * (0.6f + 0.6f * s);
    const float x = q.position.x, y = q.position.y + s * h, z = q.position.z;
    const iColor c{1, 1, 1, kSmokeOpacity * std::sin(s * 3.14159265f)};
    Quad(kWorld, kAlpha, tex, x - h, y - h, x + h, y + h, z, uvFull, c, false);
  }
}

void Renderer::Begin(Engine& engine) {
  auto& dead = engine.DeadTextures();
  if (!dead.empty()) {
    glDeleteTextures(static_cast<GLsizei>(dead.size()), dead.data());
    dead.clear();
    texturesChanged_ = true;
  }
  vertices_.clear();
  batches_.clear();
  traceLines_.clear();
  Perspective(engine.CameraLocation(), world_);
  Ortho(screen_);
  std::copy_n(world_, 16, state_.world);
  const auto& lights = engine.Lights();
  for (int i = 0; i < 3; ++i) {
    state_.lights[i * 3 + 0] = lights[i].location.x;
    state_.lights[i * 3 + 1] = lights[i].location.y;
    state_.lights[i * 3 + 2] = lights[i].location.z;
    state_.lights[9 + i * 3 + 0] = lights[i].color.red;
    state_.lights[9 + i * 3 + 1] = lights[i].color.green;
    state_.lights[9 + i * 3 + 2] = lights[i].color.blue;
  }
}

bool Renderer::Changed() {
  const bool changed = !drawn_ || texturesChanged_ || !(state_ == drawnState_) ||
                       batches_ != drawnBatches_ || vertices_ != drawnVertices_;
  if (changed) {
    drawnVertices_ = vertices_;
    drawnBatches_ = batches_;
    drawnState_ = state_;
    drawn_ = true;
    texturesChanged_ = false;
  }
  return changed;
}

void Renderer::Flush(Engine&, int viewX, int viewY, int viewW, int viewH, int fullW, int fullH) {
  glViewport(0, 0, fullW, fullH);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glViewport(viewX, viewY, viewW, viewH);
  if (batches_.empty()) return;

  const uint32_t quads = static_cast<uint32_t>(vertices_.size() / (4 * kFloatsPerVertex));
  glBindVertexArray(vao_);
  if (quads > indexQuads_) {
    // Grows only: the index pattern of quads never changes.
    indexQuads_ = std::max(quads, indexQuads_ * 2 + 1024);
    std::vector<uint32_t> idx(static_cast<size_t>(indexQuads_) * 6);
    for (uint32_t q = 0; q < indexQuads_; ++q) {
      const uint32_t b = q * 4;
      const uint32_t six[6] = {b, b + 1, b + 2, b, b + 2, b + 3};
      std::copy(six, six + 6, idx.begin() + q * 6);
    }
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo_);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(idx.size() * sizeof(uint32_t)),
                 idx.data(), GL_STATIC_DRAW);
  }
  glBindBuffer(GL_ARRAY_BUFFER, vbo_);
  const size_t bytes = vertices_.size() * sizeof(float);
  if (bytes > vboBytes_) {
    vboBytes_ = std::max(bytes, vboBytes_ * 2);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vboBytes_), nullptr, GL_STREAM_DRAW);
  } else {
    // Orphan the old storage so the driver need not wait for the last frame's draws.
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vboBytes_), nullptr, GL_STREAM_DRAW);
  }
  glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(bytes), vertices_.data());

  const bool coloured =
      std::any_of(batches_.begin(), batches_.end(), [](const Batch& b) { return !b.plain; });
  if (coloured && !lit_.id) {
    std::string error;
    if (!Link(lit_, kFragmentShader, error)) {
      // The same source compiled in Init's program: a context this broken draws nothing.
      glDeleteProgram(lit_.id);
      lit_ = Program{};
      return;
    }
  }
  if (coloured) {
    glUseProgram(lit_.id);
    glUniform3fv(lit_.uLightPos, 3, state_.lights);
    glUniform3fv(lit_.uLightColor, 3, state_.lights + 9);
  }
  glActiveTexture(GL_TEXTURE0);

  int pass = -1, blend = -1, plain = -1;
  uint32_t texture = UINT32_MAX;
  for (const Batch& b : batches_) {
    if (b.plain != plain || b.pass != pass) {
      plain = b.plain;
      pass = b.pass;
      const Program& p = b.plain ? plain_ : lit_;
      glUseProgram(p.id);
      glUniformMatrix4fv(p.uProj, 1, GL_FALSE, pass == kWorld ? world_ : screen_);
    }
    if (b.blend != blend) {
      blend = b.blend;
      if (blend == kOpaque) {
        glDisable(GL_BLEND);
      } else {
        glEnable(GL_BLEND);
        if (blend == kAdditive)
          glBlendFunc(GL_ONE, GL_ONE);
        else
          glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
      }
    }
    if (b.texture != texture) {
      texture = b.texture;
      glBindTexture(GL_TEXTURE_2D, texture);
    }
    glDrawElements(
        GL_TRIANGLES, static_cast<GLsizei>(b.quads * 6), GL_UNSIGNED_INT,
        reinterpret_cast<void*>(static_cast<uintptr_t>(b.firstQuad) * 6 * sizeof(uint32_t)));
  }
}

bool Renderer::BuildScene(Engine& engine, int viewX, int viewY, int viewW, int viewH, int fullW,
                          int fullH) {
  viewW_ = viewW;
  viewH_ = viewH;
  Begin(engine);
  const int view[6] = {viewX, viewY, viewW, viewH, fullW, fullH};
  std::copy_n(view, 6, state_.view);
  AddWorld(engine);
  const auto& sprites = engine.SortedSprites();
  const size_t top = engine.FirstTopSprite();
  for (size_t i = 0; i < top; ++i) AddSprite(engine, *sprites[i]);
  AddPrints(engine);
  for (size_t i = top; i < sprites.size(); ++i) AddSprite(engine, *sprites[i]);
  return Changed();
}

void Renderer::DrawBuilt(Engine& engine) {
  const int* v = state_.view;
  Flush(engine, v[0], v[1], v[2], v[3], v[4], v[5]);
}

void Renderer::DrawSprite(Engine& engine, const Sprite& sprite, int viewX, int viewY, int viewW,
                          int viewH, int fullW, int fullH) {
  viewW_ = viewW;
  viewH_ = viewH;
  Begin(engine);
  AddSprite(engine, sprite);
  Flush(engine, viewX, viewY, viewW, viewH, fullW, fullH);
  drawn_ = false;  // the window no longer shows the scene
}

}  // namespace impact

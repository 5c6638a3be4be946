// The floor: a minimal SDL2 + OpenGL 3.3 program that draws textured quads every
// frame at 60 Hz, sleeping between frames. Whatever it costs, no engine drawing the
// same quads can cost less.
//
//   floor_quads <quads> <frames> [backdrop]
//     N alpha-blended 64 x 64 pixel quads at fixed places; with "backdrop" the first
//     covers the whole view, as a scene's background does.
//   floor_quads scene <quad trace> <first frame> <frames> [frames to run] [shown per second]
//     the very quads the engine drew in those frames (over and over, for as many
//     frames as asked; by default once each), as written by its quad trace
//     (GH_QUAD_TRACE): same places, same texture sizes and parts, same blending
//     (none for opaque pictures, additive where the engine adds), in the same order.
//     With a rate below 60, only that many of the 60 frames a second are drawn and
//     shown, evenly spread (the engine shows no frame whose picture is on screen).
#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "BenchStats.h"

namespace {

struct TracedQuad {
  unsigned texture;  // the engine's texture name
  int width, height;
  char mode;  // 'a' alpha, 'o' opaque, '+' additive
  float left, top, right, bottom;
  float u0, v0, u1, v1;
  bool coloured = false;  // the picture times a colour (or the engine's light)
  float rgba[4] = {1, 1, 1, 1};
};

// Frames first .. first + count - 1 of a quad trace (fewer if the trace ends).
std::vector<std::vector<TracedQuad>> ReadTrace(const char* path, long first, long count) {
  std::ifstream in(path);
  std::vector<std::vector<TracedQuad>> frames;
  std::string line;
  bool keep = false;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string tag;
    fields >> tag;
    if (tag == "f") {
      long n = 0;
      fields >> n;
      keep = n >= first && n < first + count;
      if (keep) frames.emplace_back();
    } else if (tag == "q" && keep) {
      TracedQuad q{};
      fields >> q.texture >> q.width >> q.height >> q.mode >> q.left >> q.top >> q.right >>
          q.bottom >> q.u0 >> q.v0 >> q.u1 >> q.v1;
      if (!fields) continue;
      char kind = 'p';
      if (fields >> kind && kind == 'c' &&
          fields >> q.rgba[0] >> q.rgba[1] >> q.rgba[2] >> q.rgba[3])
        q.coloured = true;
      frames.back().push_back(q);
    }
  }
  return frames;
}

GLuint MakeTexture(int w, int h, bool opaque) {
  std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 4);
  for (size_t i = 0; i < pixels.size() / 4; ++i) {
    pixels[i * 4 + 0] = static_cast<uint8_t>(i * 7);
    pixels[i * 4 + 1] = 128;
    pixels[i * 4 + 2] = static_cast<uint8_t>(i);
    pixels[i * 4 + 3] = opaque || (i % 64 >= 8) ? 255 : 0;
  }
  GLuint tex;
  glGenTextures(1, &tex);
  glBindTexture(GL_TEXTURE_2D, tex);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  return tex;
}

void SetMode(char mode) {
  if (mode == 'o') {
    glDisable(GL_BLEND);
    return;
  }
  glEnable(GL_BLEND);
  if (mode == '+')
    glBlendFunc(GL_ONE, GL_ONE);
  else
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
}

}  // namespace

int main(int argc, char** argv) {
  const bool scene = argc > 1 && std::strcmp(argv[1], "scene") == 0;
  if (scene && argc < 5) {
    std::fprintf(stderr,
                 "usage: floor_quads scene <quad trace> <first frame> <frames> [frames to draw]\n");
    return 2;
  }
  const int quads = scene ? 0 : argc > 1 ? std::atoi(argv[1]) : 200;
  const int traceFrames = scene ? std::atoi(argv[4]) : 0;
  const int frames = scene      ? (argc > 5 ? std::atoi(argv[5]) : traceFrames)
                     : argc > 2 ? std::atoi(argv[2])
                                : 600;
  const bool backdrop = !scene && argc > 3 && std::strcmp(argv[3], "backdrop") == 0;
  const double shownPerSecond = scene && argc > 6 ? std::clamp(std::atof(argv[6]), 1.0, 60.0) : 60;
  std::vector<std::vector<TracedQuad>> traced;
  if (scene) {
    traced = ReadTrace(argv[2], std::atol(argv[3]), traceFrames);
    if (traced.empty()) {
      std::fprintf(stderr, "floor_quads: no frames %s.. in %s\n", argv[3], argv[2]);
      return 1;
    }
  }
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "floor_quads: %s\n", SDL_GetError());
    return 1;
  }
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_Window* w = SDL_CreateWindow("floor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 800,
                                   600, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
  const uint64_t windowNs = bench::MonotonicNs();
  SDL_GLContext ctx = w ? SDL_GL_CreateContext(w) : nullptr;
  const uint64_t contextNs = bench::MonotonicNs();
  if (!ctx) {
    std::fprintf(stderr, "floor_quads: %s\n", SDL_GetError());
    return 1;
  }
  SDL_GL_SetSwapInterval(0);

  const char* vs = R"(#version 330 core
layout(location=0) in vec2 p; layout(location=1) in vec2 t; out vec2 v;
void main(){ gl_Position = vec4(p, 0, 1); v = t; })";
  const char* fs = R"(#version 330 core
in vec2 v; uniform sampler2D s; out vec4 c; void main(){ c = texture(s, v); })";
  // A coloured quad cannot be drawn for less than its picture times its colour.
  const char* vsColoured = R"(#version 330 core
layout(location=0) in vec2 p; layout(location=1) in vec2 t; layout(location=2) in vec4 k;
out vec2 v; out vec4 col; void main(){ gl_Position = vec4(p, 0, 1); v = t; col = k; })";
  const char* fsColoured = R"(#version 330 core
in vec2 v; in vec4 col; uniform sampler2D s; out vec4 c; void main(){ c = texture(s, v) * col; })";
  auto link = [](const char* vertex, const char* fragment) {
    GLuint prog = glCreateProgram();
    for (auto [type, src] : {std::pair{GL_VERTEX_SHADER, vertex}, {GL_FRAGMENT_SHADER, fragment}}) {
      GLuint sh = glCreateShader(type);
      glShaderSource(sh, 1, &src, nullptr);
      glCompileShader(sh);
      glAttachShader(prog, sh);
    }
    glLinkProgram(prog);
    return prog;
  };
  const GLuint prog = link(vs, fs);
  bool anyColoured = false;
  for (const auto& f : traced)
    for (const TracedQuad& q : f) anyColoured = anyColoured || q.coloured;
  const GLuint progColoured = anyColoured ? link(vsColoured, fsColoured) : 0;
  glUseProgram(prog);

  std::vector<uint8_t> pixels(64 * 64 * 4);
  for (int i = 0; i < 64 * 64; ++i) {
    pixels[i * 4 + 0] = static_cast<uint8_t>(i * 7);
    pixels[i * 4 + 1] = 128;
    pixels[i * 4 + 2] = static_cast<uint8_t>(i);
    pixels[i * 4 + 3] = (i % 64 < 8) ? 0 : 255;
  }
  GLuint tex;
  glGenTextures(1, &tex);
  glBindTexture(GL_TEXTURE_2D, tex);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 64, 64, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

  // One texture of the same size for each texture the engine used; opaque where
  // the engine drew it without blending.
  std::map<std::pair<unsigned, int>, GLuint> sceneTextures;
  for (const auto& f : traced)
    for (const TracedQuad& q : f) {
      auto& t = sceneTextures[{q.texture, q.width * 65536 + q.height}];
      if (!t) t = MakeTexture(q.width, q.height, q.mode == 'o');
    }

  // The same places the engine bench uses: 64 x 64 pixel quads spread by a fixed seed.
  std::mt19937 rng(7);
  std::vector<float> centres;
  for (int i = 0; i < quads; ++i) {
    centres.push_back((rng() % 737) + 32.0f);
    centres.push_back((rng() % 537) + 32.0f);
  }
  GLuint vao, vbo;
  glGenVertexArrays(1, &vao);
  glBindVertexArray(vao);
  glGenBuffers(1, &vbo);
  glBindBuffer(GL_ARRAY_BUFFER, vbo);
  // A scene's vertices carry a colour too.
  const GLsizei stride = scene ? 32 : 16;
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride, nullptr);
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(8));
  if (scene) {
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(16));
  }
  std::vector<float> verts;
  verts.reserve(static_cast<size_t>(quads) * 6 * 4);

  const uint64_t period = 1000000000ull / 60;
  uint64_t due = bench::MonotonicNs();
  uint64_t first = 0;
  std::vector<uint64_t> starts, presents;
  starts.reserve(static_cast<size_t>(frames));
  presents.reserve(static_cast<size_t>(frames));
  double cpu0 = 0;
  uint64_t wall0 = 0;
  size_t shown = 0, shownSteady = 0;
  for (int f = 0; f < frames; ++f) {
    timespec ts{static_cast<time_t>(due / 1000000000ull), static_cast<long>(due % 1000000000ull)};
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr);
    due += period;
    const uint64_t now = bench::MonotonicNs();
    if (f == 1) {  // steady state from the second frame on
      cpu0 = bench::CpuSeconds();
      wall0 = now;
    }
    starts.push_back(now);
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
    }
    const bool show =
        f == 0 || std::floor(f * shownPerSecond / 60) > std::floor((f - 1) * shownPerSecond / 60);
    if (!show) continue;
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    verts.clear();
    if (scene) {
      // Consecutive quads with one texture, one blending and one program go in one draw.
      const auto& quadsNow = traced[shown % traced.size()];
      for (const TracedQuad& q : quadsNow) {
        const float x0 = q.left / 400 - 1, x1 = q.right / 400 - 1;
        const float yt = 1 - q.top / 300, yb = 1 - q.bottom / 300;
        const float v[6][4] = {{x0, yb, q.u0, q.v1}, {x1, yb, q.u1, q.v1}, {x1, yt, q.u1, q.v0},
                               {x0, yb, q.u0, q.v1}, {x1, yt, q.u1, q.v0}, {x0, yt, q.u0, q.v0}};
        for (auto& c : v) {
          verts.insert(verts.end(), c, c + 4);
          verts.insert(verts.end(), q.rgba, q.rgba + 4);
        }
      }
      glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(verts.size() * sizeof(float)),
                   verts.data(), GL_STREAM_DRAW);
      size_t run = 0;
      for (size_t i = 1; i <= quadsNow.size(); ++i) {
        if (i < quadsNow.size() && quadsNow[i].texture == quadsNow[run].texture &&
            quadsNow[i].mode == quadsNow[run].mode &&
            quadsNow[i].coloured == quadsNow[run].coloured)
          continue;
        glUseProgram(quadsNow[run].coloured ? progColoured : prog);
        SetMode(quadsNow[run].mode);
        glBindTexture(GL_TEXTURE_2D,
                      sceneTextures[{quadsNow[run].texture,
                                     quadsNow[run].width * 65536 + quadsNow[run].height}]);
        glDrawArrays(GL_TRIANGLES, static_cast<GLint>(run * 6),
                     static_cast<GLsizei>((i - run) * 6));
        run = i;
      }
    } else {
      for (int i = 0; i < quads; ++i) {
        const bool whole = backdrop && i == 0;
        const float x = whole ? 0 : centres[i * 2] / 400 - 1;
        const float y = whole ? 0 : 1 - centres[i * 2 + 1] / 300;
        const float hw = whole ? 1 : 32 / 400.0f, hh = whole ? 1 : 32 / 300.0f;
        const float q[6][4] = {{x - hw, y - hh, 0, 1}, {x + hw, y - hh, 1, 1},
                               {x + hw, y + hh, 1, 0}, {x - hw, y - hh, 0, 1},
                               {x + hw, y + hh, 1, 0}, {x - hw, y + hh, 0, 0}};
        for (auto& v : q) verts.insert(verts.end(), v, v + 4);
      }
      glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(verts.size() * sizeof(float)),
                   verts.data(), GL_STREAM_DRAW);
      glDrawArrays(GL_TRIANGLES, 0, quads * 6);
    }
    SDL_GL_SwapWindow(w);
    presents.push_back(bench::MonotonicNs());
    if (f == 0) first = presents.back();
    ++shown;
    if (f >= 1) ++shownSteady;
  }
  bench::Report(first, bench::CpuSeconds() - cpu0, (bench::MonotonicNs() - wall0) / 1e9, starts,
                presents);
  // The steps of start-up, as the program's frame trace gives its own.
  std::printf("window_ns=%llu\ncontext_ns=%llu\n", static_cast<unsigned long long>(windowNs),
              static_cast<unsigned long long>(contextNs));
  std::printf("shown=%zu\n", shownSteady);  // frames shown from the second on
  SDL_GL_DeleteContext(ctx);
  SDL_DestroyWindow(w);
  SDL_Quit();
  return 0;
}

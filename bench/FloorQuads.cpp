// The floor: a minimal SDL2 + OpenGL 3.3 program that draws N textured,
// alpha-blended quads every frame at 60 Hz, sleeping between frames. Whatever it
// costs, no engine drawing the same quads can cost less.
//
//   floor_quads <quads> <frames> [backdrop]
// With "backdrop" the first quad covers the whole view, as a scene's background does.
#include <SDL.h>
#include <epoxy/gl.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "BenchStats.h"

int main(int argc, char** argv) {
  const int quads = argc > 1 ? std::atoi(argv[1]) : 200;
  const int frames = argc > 2 ? std::atoi(argv[2]) : 600;
  const bool backdrop = argc > 3 && std::strcmp(argv[3], "backdrop") == 0;
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "floor_quads: %s\n", SDL_GetError());
    return 1;
  }
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_Window* w = SDL_CreateWindow("floor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 800,
                                   600, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
  SDL_GLContext ctx = w ? SDL_GL_CreateContext(w) : nullptr;
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
  GLuint prog = glCreateProgram();
  for (auto [type, src] : {std::pair{GL_VERTEX_SHADER, vs}, {GL_FRAGMENT_SHADER, fs}}) {
    GLuint sh = glCreateShader(type);
    glShaderSource(sh, 1, &src, nullptr);
    glCompileShader(sh);
    glAttachShader(prog, sh);
  }
  glLinkProgram(prog);
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
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 16, nullptr);
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 16, reinterpret_cast<void*>(8));
  std::vector<float> verts;
  verts.reserve(static_cast<size_t>(quads) * 6 * 4);

  const uint64_t period = 1000000000ull / 60;
  uint64_t due = bench::MonotonicNs();
  uint64_t first = 0;
  std::vector<uint64_t> starts;
  starts.reserve(static_cast<size_t>(frames));
  double cpu0 = 0;
  uint64_t wall0 = 0;
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
    verts.clear();
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
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDrawArrays(GL_TRIANGLES, 0, quads * 6);
    SDL_GL_SwapWindow(w);
    if (f == 0) first = bench::MonotonicNs();
  }
  bench::Report(first, bench::CpuSeconds() - cpu0, (bench::MonotonicNs() - wall0) / 1e9, starts);
  SDL_GL_DeleteContext(ctx);
  SDL_DestroyWindow(w);
  SDL_Quit();
  return 0;
}

#include "TestFiles.h"

#include <SDL.h>
#include <SDL_image.h>
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>
#include <stdexcept>
#include <vector>

namespace enginetest {

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
#ifdef _WIN32
  // No mkdtemp: a random name, taken only if the folder did not exist.
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    fs::path dir =
        fs::temp_directory_path() / ("gh-engine-" + std::to_string(random() % 1000000000));
    if (fs::create_directory(dir)) path_ = dir.generic_string();
  }
  if (path_.empty()) throw std::runtime_error("cannot make a scratch folder");
#else
  std::string base = (fs::temp_directory_path() / "gh-engine-XXXXXX").string();
  std::vector<char> buf(base.begin(), base.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
  path_ = buf.data();
#endif
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

// File names are UTF-8 here as in the engine; on Windows a narrow name would
// be taken in the ANSI code page instead.
fs::path Native(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

void MakeParents(const std::string& path) { fs::create_directories(Native(path).parent_path()); }

void WritePng(const std::string& path, int width, int height,
              const std::function<Rgba(int, int)>& pixel) {
  MakeParents(path);
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGBA32);
  if (!s) throw std::runtime_error(SDL_GetError());
  for (int y = 0; y < height; ++y) {
    auto* row = static_cast<uint8_t*>(s->pixels) + y * s->pitch;
    for (int x = 0; x < width; ++x) {
      Rgba p = pixel(x, y);
      row[x * 4 + 0] = p.r;
      row[x * 4 + 1] = p.g;
      row[x * 4 + 2] = p.b;
      row[x * 4 + 3] = p.a;
    }
  }
  int rc = IMG_SavePNG(s, path.c_str());
  SDL_FreeSurface(s);
  if (rc != 0) throw std::runtime_error(IMG_GetError());
}

namespace {
void Put16(std::ofstream& out, uint16_t v) {
  out.put(static_cast<char>(v & 0xff));
  out.put(static_cast<char>(v >> 8));
}
void Put32(std::ofstream& out, uint32_t v) {
  Put16(out, static_cast<uint16_t>(v & 0xffff));
  Put16(out, static_cast<uint16_t>(v >> 16));
}
}  // namespace

void WriteWav(const std::string& path, double seconds, int rate, double hz) {
  MakeParents(path);
  const uint32_t samples = static_cast<uint32_t>(seconds * rate);
  std::ofstream out(Native(path), std::ios::binary);
  out.write("RIFF", 4);
  Put32(out, 36 + samples * 2);
  out.write("WAVEfmt ", 8);
  Put32(out, 16);
  Put16(out, 1);
  Put16(out, 1);
  Put32(out, static_cast<uint32_t>(rate));
  Put32(out, static_cast<uint32_t>(rate * 2));
  Put16(out, 2);
  Put16(out, 16);
  out.write("data", 4);
  Put32(out, samples * 2);
  for (uint32_t i = 0; i < samples; ++i)
    Put16(out, static_cast<uint16_t>(
                   static_cast<int16_t>(12000 * std::sin(2 * std::numbers::pi * hz * i / rate))));
}

void WriteOgg(const std::string& path, double seconds, int rate) {
  MakeParents(path);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) throw std::runtime_error("cannot write " + path);
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, 1, rate, 0.3f) != 0) throw std::runtime_error("vorbis init");
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_dsp_state vd;
  vorbis_block vb;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, 1);
  ogg_packet h1, h2, h3;
  vorbis_analysis_headerout(&vd, &vc, &h1, &h2, &h3);
  ogg_stream_packetin(&os, &h1);
  ogg_stream_packetin(&os, &h2);
  ogg_stream_packetin(&os, &h3);
  ogg_page og;
  while (ogg_stream_flush(&os, &og)) {
    std::fwrite(og.header, 1, og.header_len, f);
    std::fwrite(og.body, 1, og.body_len, f);
  }
  const int total = static_cast<int>(seconds * rate);
  int done = 0;
  bool eos = false;
  while (!eos) {
    int n = std::min(1024, total - done);
    if (n > 0) {
      float** buf = vorbis_analysis_buffer(&vd, n);
      for (int i = 0; i < n; ++i)
        buf[0][i] = 0.3f * std::sin(2 * std::numbers::pi * 330.0 * (done + i) / rate);
      vorbis_analysis_wrote(&vd, n);
      done += n;
    } else {
      vorbis_analysis_wrote(&vd, 0);
    }
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet op;
      while (vorbis_bitrate_flushpacket(&vd, &op)) {
        ogg_stream_packetin(&os, &op);
        while (ogg_stream_pageout(&os, &og)) {
          std::fwrite(og.header, 1, og.header_len, f);
          std::fwrite(og.body, 1, og.body_len, f);
          if (ogg_page_eos(&og)) eos = true;
        }
      }
    }
  }
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  std::fclose(f);
}

void WriteText(const std::string& path, const std::string& text) {
  MakeParents(path);
  std::ofstream out(Native(path), std::ios::binary);
  out << text;
}

}  // namespace enginetest

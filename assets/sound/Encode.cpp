#include "Encode.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace assets::sound {

namespace {

void Put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}
void PutTag(Bytes& b, const char* tag) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(tag[i]));
}

void AppendPage(Bytes& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

}  // namespace

Bytes EncodeWav(const std::vector<int16_t>& samples, int channels, int rate) {
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  Bytes b;
  b.reserve(44 + dataBytes);
  PutTag(b, "RIFF");
  Put32(b, 36 + dataBytes);
  PutTag(b, "WAVE");
  PutTag(b, "fmt ");
  Put32(b, 16);
  Put16(b, 1);  // PCM
  Put16(b, static_cast<uint32_t>(channels));
  Put32(b, static_cast<uint32_t>(rate));
  Put32(b, static_cast<uint32_t>(rate * channels * 2));
  Put16(b, static_cast<uint32_t>(channels * 2));
  Put16(b, 16);
  PutTag(b, "data");
  Put32(b, dataBytes);
  for (int16_t s : samples) Put16(b, static_cast<uint16_t>(s));
  return b;
}

bool EncodeOgg(const Buffer& left, const Buffer& right, float quality, int serial,
               const std::string& title, Bytes& out, std::string& error) {
  out.clear();
  if (left.size() != right.size() || left.empty()) {
    error = "Cannot encode \"" + title + "\": the channels differ in length";
    return false;
  }
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, 2, kRate, quality) != 0) {
    vorbis_info_clear(&info);
    error = "Cannot encode \"" + title + "\": the Vorbis encoder refused its settings";
    return false;
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_comment_add_tag(&comment, "TITLE", title.c_str());
  // Players that honour these loop the whole tune sample-exactly.
  vorbis_comment_add_tag(&comment, "LOOPSTART", "0");
  vorbis_comment_add_tag(&comment, "LOOPLENGTH", std::to_string(left.size()).c_str());

  vorbis_dsp_state dsp;
  vorbis_block block;
  ogg_stream_state stream;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);
  ogg_stream_init(&stream, serial);

  ogg_packet header, commentHeader, codeHeader;
  vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &commentHeader);
  ogg_stream_packetin(&stream, &codeHeader);
  ogg_page page;
  // Audio starts on a fresh page, as the format asks.
  while (ogg_stream_flush(&stream, &page) != 0) AppendPage(out, page);

  auto drain = [&] {
    ogg_packet packet;
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page) != 0) AppendPage(out, page);
      }
    }
  };
  constexpr std::size_t kChunk = 4096;
  for (std::size_t at = 0; at < left.size(); at += kChunk) {
    const std::size_t n = std::min(kChunk, left.size() - at);
    float** buffers = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
    std::copy_n(left.data() + at, n, buffers[0]);
    std::copy_n(right.data() + at, n, buffers[1]);
    vorbis_analysis_wrote(&dsp, static_cast<int>(n));
    drain();
  }
  vorbis_analysis_wrote(&dsp, 0);
  drain();
  while (ogg_stream_flush(&stream, &page) != 0) AppendPage(out, page);

  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return true;
}

bool WriteFile(const std::string& path, const Bytes& bytes, std::string& error) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) {
    error = "Cannot write \"" + path + "\": " + std::strerror(errno);
    return false;
  }
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  int savedErrno = errno;
  if (std::fclose(f) != 0 && ok) {
    ok = false;
    savedErrno = errno;
  }
  if (!ok) {
    error = "Cannot write \"" + path + "\": " + std::strerror(savedErrno);
    return false;
  }
  return true;
}

}  // namespace assets::sound

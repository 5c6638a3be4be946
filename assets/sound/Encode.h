// File formats of the sound folder: 16-bit PCM WAV and Ogg Vorbis.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "Synth.h"

namespace assets::sound {

using Bytes = std::vector<uint8_t>;

// A RIFF/WAVE file of 16-bit PCM samples (interleaved when channels > 1).
Bytes EncodeWav(const std::vector<int16_t>& samples, int channels, int rate);

// A stereo Ogg Vorbis stream with a fixed serial number, tagged as a loop of
// its whole length (LOOPSTART/LOOPLENGTH). False with `error` on failure.
bool EncodeOgg(const Buffer& left, const Buffer& right, float quality, int serial,
               const std::string& title, Bytes& out, std::string& error);

// Writes `bytes` to `path`; false with a message naming the file on failure.
bool WriteFile(const std::string& path, const Bytes& bytes, std::string& error);

}  // namespace assets::sound

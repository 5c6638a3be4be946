// File decoding used by the engine's caches (and by tests of broken files).
#pragma once
#include <string>

#include "core/Scene.h"

namespace impact {

class Engine;

// Images give their GL textures back to this engine when they die.
void SetLiveEngine(Engine* engine);

// Safe on any thread (the engine decodes its first picture on one of its own).
bool DecodeImage(const std::string& path, Image& image, std::string& error);
// The quad model file: first line "gravelhorn-quad 1", then "size <w> <h>";
// blank lines and lines starting with '#' are skipped.
bool ParseModel(const std::string& text, Model& model, std::string& error);
bool BuildFont(const std::string& path, FontData& font, std::string& error);
// Checks a sound file (WAV, or Ogg Vorbis when sound.music) and finds its length.
bool ProbeSound(Sound& sound, std::string& error);

}  // namespace impact

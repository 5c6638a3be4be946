#include "Sounds.h"

#include <filesystem>
#include <system_error>

#include "Effects.h"
#include "Encode.h"
#include "Music.h"

namespace assets {

namespace {

// Fixed stream serial numbers keep the Ogg files identical from run to run.
constexpr int kMenuSerial = 0x4D656E75;  // "Menu"
constexpr int kGameSerial = 0x47616D65;  // "Game"
constexpr float kOggQuality = 0.35f;

bool WriteTune(const std::string& path, const std::string& title, int serial,
               bool (*compose)(sound::Tune&, std::string&), std::string& error) {
  sound::Tune tune;
  if (!compose(tune, error)) return false;
  sound::Bytes bytes;
  if (!sound::EncodeOgg(tune.left, tune.right, kOggQuality, serial, title, bytes, error)) {
    return false;
  }
  return sound::WriteFile(path, bytes, error);
}

}  // namespace

bool WriteSounds(const std::string& dataDir, std::string& error) {
  const std::filesystem::path folder = std::filesystem::path(dataDir) / "Sound";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    error = "Cannot create \"" + folder.string() + "\": " + ec.message();
    return false;
  }
  for (const sound::EffectSound& effect : sound::MakeEffects()) {
    const sound::Bytes wav = sound::EncodeWav(sound::ToPcm16(effect.samples), 1, sound::kRate);
    if (!sound::WriteFile((folder / effect.file).string(), wav, error)) return false;
  }
  return WriteTune((folder / "Menu.ogg").string(), "Gravelhorn 2 - Menu", kMenuSerial,
                   sound::ComposeMenuTheme, error) &&
         WriteTune((folder / "Game.ogg").string(), "Gravelhorn 2 - Game", kGameSerial,
                   sound::ComposeGameTheme, error);
}

}  // namespace assets

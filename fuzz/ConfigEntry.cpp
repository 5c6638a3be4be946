#include "FuzzEntries.h"
#include "settings/ConfigFile.h"

namespace gh::fuzz {

std::string CheckConfigBytes(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Settings read;
  const int fields = ReadConfig(bytes, read);
  if (fields < 0 || fields > ConfigFieldCount) return "field count out of range";
  if (size >= MaxConfigBytes && fields != ConfigFieldCount)
    return "a file long enough for every field was not read whole";
  for (uint8_t flag : {read.Windowed, read.MusicOn, read.SoundOn})
    if (flag > 1) return "a setting byte read as something other than 0 or 1";
  if (read.Country.size() > 255) return "a string longer than its length byte allows";
  for (const auto& e : read.HighScores)
    if (e.Name.size() > 255) return "a string longer than its length byte allows";

  // Whatever was read saves and loads back unchanged.
  const std::string written = WriteConfig(read);
  if (written.size() < MinConfigBytes || written.size() > MaxConfigBytes)
    return "written file has an impossible size";
  Settings again;
  again.Windowed = 7;  // every field must be overwritten by the reading
  again.Country = "not read";
  if (ReadConfig(written, again) != ConfigFieldCount) return "a written file does not read whole";
  if (!(again == read)) return "a written file reads back different values";

  // A whole file's bytes up to its last field come back exactly, apart from
  // the setting bytes that are normalised to 0 and 1.
  if (fields == ConfigFieldCount) {
    if (bytes.substr(3, written.size() - 3) != std::string_view(written).substr(3))
      return "saving a whole file changes bytes other than the setting bytes";
  }
  return {};
}

}  // namespace gh::fuzz

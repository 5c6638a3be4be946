#include "settings/Settings.h"

#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/System.h"
#include "settings/ConfigFile.h"

namespace gh {

uint8_t Windowed = 1;
uint8_t MusicOn = 1;
uint8_t SoundOn = 1;
uint8_t BossKey = 88;  // F12
std::string Country;
std::string PlayerName;
std::array<THiScores, 10> HighScores{};

const char* const ConfigFileName = "Config.cfg";
const char* const ConfigLockFileName = "Config.cfg.lock";

namespace {

namespace fs = std::filesystem;

std::string DamagedCopy;
std::string LoadError;

std::string OpenError(const std::string& name, const std::error_code& error) {
  return "Cannot open file \"" + name + "\". " + error.message();
}

// The file a save replaces: a symbolic link named "Config.cfg" keeps pointing
// at the file it names.
fs::path ConfigTarget() {
  const fs::path name = ConfigFileName;
  std::error_code ec;
  if (!fs::is_symlink(name, ec)) return name;
  fs::path target = fs::read_symlink(name, ec);
  if (ec) return name;
  if (target.is_relative()) target = name.parent_path() / target;
  return target;
}

bool SameContent(const std::string& path, std::string_view bytes) {
  std::string held;
  return !ReadFileStart(path, bytes.size() + 1, held) && held == bytes;
}

// Keeps the damaged bytes beside the file under a name nothing else uses
// (an earlier copy of other bytes is never overwritten).
std::string KeepDamagedCopy(std::string_view bytes) {
  const std::string base = std::string(ConfigFileName) + ".damaged";
  for (int i = 0; i < 100; ++i) {
    const std::string name = i == 0 ? base : base + "." + std::to_string(i);
    const std::error_code error = CreateNewFile(name, bytes);
    if (!error) return name;
    if (error != std::errc::file_exists) return {};
    if (SameContent(name, bytes)) return name;
  }
  return {};
}

}  // namespace

std::string DamagedCopyName() { return DamagedCopy; }
std::string SettingsError() { return LoadError; }

void ResetHighScores() { HighScores = FirstStartConfig().HighScores; }

void RemoveUnfinishedSaves() { RemoveLeftoverReplacements(ConfigTarget().string()); }

bool SaveSettings(std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  const std::string bytes = WriteConfig(CurrentConfig());
  const fs::path target = ConfigTarget();

  // The old file's bytes past the new end stay, and the file is replaced in
  // one step, so neither a crash nor a full disk can leave a half-written table.
  const ReplaceResult replaced = ReplaceFileKeepingTail(target.string(), bytes);
  // The save makes a new file beside the target: when that is refused, the
  // folder is what the player has to fix, not the file.
  auto folderError = [&] {
    std::error_code ec;
    fs::path folder = fs::absolute(target, ec).parent_path();
    if (ec || folder.empty()) folder = target.parent_path();
    return fail("Cannot create a file in the folder \"" + folder.string() + "\". " +
                replaced.error.message());
  };
  const std::string writeError =
      "Cannot write file \"" + std::string(ConfigFileName) + "\". " + replaced.error.message();
  switch (replaced.stage) {
    case ReplaceResult::Done:
      return true;
    case ReplaceResult::OpeningOld:
      return fail(OpenError(ConfigFileName, replaced.error));
    case ReplaceResult::CreatingNew:
      return folderError();
    case ReplaceResult::Writing:
      return fail(writeError);
    case ReplaceResult::Renaming:
      if (replaced.error == std::errc::permission_denied ||
          replaced.error == std::errc::operation_not_permitted ||
          replaced.error == std::errc::read_only_file_system) {
        return folderError();
      }
      return fail(writeError);
  }
  return fail(writeError);
}

LoadResult LoadSettings(NewFile newFile) {
  LoadError.clear();
  DamagedCopy.clear();
  // A pipe in its place cannot hold the start-up (see ReadFileStart).
  std::string bytes;
  if (const std::error_code error = ReadFileStart(ConfigFileName, MaxConfigBytes, bytes)) {
    if (error != std::errc::no_such_file_or_directory) {
      LoadError = OpenError(ConfigFileName, error);
      return LoadResult::Unreadable;
    }
    // First start: the default table, written at once unless the caller will.
    ResetHighScores();
    std::string why;
    if (newFile == NewFile::SaveNow && !SaveSettings(&why)) LoadError = why;
    return LoadResult::Created;
  }

  // What a damaged file no longer holds takes the first start's values, as the
  // message about it promises (never an empty table).
  ConfigData data = FirstStartConfig();
  const int fields = ReadConfig(bytes, data);
  ApplyConfig(data);
  if (fields == ConfigFieldCount) return LoadResult::Loaded;

  // A whole file is never longer than MaxConfigBytes needs, so `bytes` is the
  // entire damaged file.
  LoadError = std::string("\"")
                  .append(ConfigFileName)
                  .append("\" ends after ")
                  .append(std::to_string(bytes.size()))
                  .append(" bytes, before all settings and scores were read");
  DamagedCopy = KeepDamagedCopy(bytes);
  return LoadResult::Damaged;
}

}  // namespace gh

#include "settings/Settings.h"

#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/System.h"
#include "settings/ConfigFile.h"

namespace gh {

const char* const ConfigFileName = "Config.cfg";
const char* const ConfigLockFileName = "Config.cfg.lock";

namespace {

namespace fs = std::filesystem;

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
  const Result<std::string> held = ReadFileStart(path, bytes.size() + 1);
  return held && *held == bytes;
}

// Keeps the damaged bytes beside the file under a name nothing else uses
// (an earlier copy of other bytes is never overwritten).
std::string KeepDamagedCopy(std::string_view bytes) {
  const std::string base = std::string(ConfigFileName) + ".damaged";
  for (int i = 0; i < 100; ++i) {
    const std::string name = i == 0 ? base : base + "." + std::to_string(i);
    const Status created = CreateNewFile(name, bytes);
    if (created) return name;
    if (created.error().code != std::errc::file_exists) return {};
    if (SameContent(name, bytes)) return name;
  }
  return {};
}

}  // namespace

HighScoreList FirstStartHighScores() {
  HighScoreList table;
  for (int i = 0; i < 10; ++i) table[i] = HighScore{"Anonymous", (10 - i) * 500};
  return table;
}

void RemoveUnfinishedSaves() { RemoveLeftoverReplacements(ConfigTarget().string()); }

Status SaveSettings(const Settings& settings) {
  // The old file's bytes past the new end stay, and the file is replaced in
  // one step, so neither a crash nor a full disk can leave a half-written table.
  return ReplaceFileKeepingTail(ConfigTarget().string(), WriteConfig(settings));
}

Result<SettingsLoad> LoadSettings(Settings& settings) {
  // A pipe in its place cannot hold the start-up (see ReadFileStart).
  const Result<std::string> read = ReadFileStart(ConfigFileName, MaxConfigBytes);
  if (!read) {
    if (read.error().code != std::errc::no_such_file_or_directory) return read.error();
    return SettingsLoad{LoadResult::Created, {}};
  }
  const std::string& bytes = *read;

  // What a damaged file no longer holds takes the first start's values, as the
  // message about it promises (never an empty table).
  Settings data;
  const int fields = ReadConfig(bytes, data);
  settings = data;
  if (fields == ConfigFieldCount) return SettingsLoad{LoadResult::Loaded, {}};

  // A whole file is never longer than MaxConfigBytes needs, so `bytes` is the
  // entire damaged file.
  return SettingsLoad{LoadResult::Damaged, KeepDamagedCopy(bytes)};
}

}  // namespace gh

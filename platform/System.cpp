// What System.h does the same way on every system.
#include "platform/System.h"

#include <filesystem>
#include <string_view>
#include <vector>

namespace gh {

namespace {

namespace fs = std::filesystem;

fs::path FromUtf8(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string ToUtf8(const fs::path& path) {
  const std::u8string u8 = path.u8string();
  return std::string(u8.begin(), u8.end());
}

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (const char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

namespace detail {

Error OpenFailure(const std::string& path, std::error_code code) {
  return {"Cannot open file \"" + path + "\". " + code.message(), code};
}

Error ReplaceFailure(ReplaceStep step, const std::string& path, std::error_code code) {
  // The replacement makes a new file beside the old one: when that is refused,
  // the folder is what the player has to fix, not the file.
  auto folderError = [&] {
    std::error_code ec;
    const fs::path target = FromUtf8(path);
    fs::path folder = fs::absolute(target, ec).parent_path();
    if (ec || folder.empty()) folder = target.parent_path();
    return Error{"Cannot create a file in the folder \"" + ToUtf8(folder) + "\". " + code.message(),
                 code};
  };
  const Error writeError{"Cannot write file \"" + path + "\". " + code.message(), code};
  switch (step) {
    case ReplaceStep::OpeningOld:
      return OpenFailure(path, code);
    case ReplaceStep::CreatingNew:
      return folderError();
    case ReplaceStep::Writing:
      return writeError;
    case ReplaceStep::Renaming:
      if (code == std::errc::permission_denied || code == std::errc::operation_not_permitted ||
          code == std::errc::read_only_file_system) {
        return folderError();
      }
      return writeError;
  }
  return writeError;
}

}  // namespace detail

void RemoveLeftoverReplacements(const std::string& path) {
  // ReplaceFileKeepingTail writes "<name>.new<process>-<try>" beside the file.
  const fs::path full = FromUtf8(path);
  const std::string prefix = ToUtf8(full.filename()) + ".new";
  fs::path folder = full.parent_path();
  if (folder.empty()) folder = ".";
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    const std::string name = ToUtf8(it->path().filename());
    if (name.rfind(prefix, 0) != 0) continue;
    const std::string_view rest = std::string_view(name).substr(prefix.size());
    const size_t dash = rest.find('-');
    if (dash == std::string_view::npos || !AllDigits(rest.substr(0, dash)) ||
        !AllDigits(rest.substr(dash + 1)))
      continue;
    std::error_code kindError;
    if (!it->is_regular_file(kindError)) continue;
    std::error_code removeError;
    fs::remove(it->path(), removeError);  // what cannot go stays; it harms nothing
  }
}

Status MakeFolder(const std::string& path) {
  std::error_code ec;
  fs::create_directory(FromUtf8(path), ec);
  if (ec) return Error{"Cannot create the folder \"" + path + "\". " + ec.message(), ec};
  return {};
}

Result<std::vector<std::string>> FilesInFolder(const std::string& path) {
  std::vector<std::string> names;
  std::error_code ec;
  fs::directory_iterator it(FromUtf8(path), ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::error_code kindError;
    if (it->is_regular_file(kindError)) names.push_back(ToUtf8(it->path().filename()));
  }
  if (ec) return Error{"Cannot read the folder \"" + path + "\". " + ec.message(), ec};
  return names;
}

Status RemoveFile(const std::string& path) {
  std::error_code ec;
  fs::remove(FromUtf8(path), ec);
  if (ec) return Error{"Cannot remove file \"" + path + "\". " + ec.message(), ec};
  return {};
}

}  // namespace gh

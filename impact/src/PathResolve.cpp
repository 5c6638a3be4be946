#include <string>

#include "impact_path.h"

#ifndef _WIN32
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <vector>
#endif

namespace impact {

#ifdef _WIN32

// Windows' file system already ignores case and takes either separator; the
// name only gets the same separators as everywhere else.
std::string ResolvePath(const std::string& name) {
  std::string path = name;
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

#else

namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

// The entry of `dir` whose name equals `part` without regard to case, if any.
bool FindEntry(const std::string& dir, const std::string& part, std::string& found) {
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return false;
  bool ok = false;
  while (dirent* e = readdir(d)) {
    if (strcasecmp(e->d_name, part.c_str()) == 0) {
      found = e->d_name;
      ok = true;
      break;
    }
  }
  closedir(d);
  return ok;
}

}  // namespace

std::string ResolvePath(const std::string& name) {
  std::string path = name;
  for (char& c : path)
    if (c == '\\') c = '/';
  if (path.empty() || Exists(path)) return path;

  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    parts.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  std::string result;
  bool absolute = !path.empty() && path[0] == '/';
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    if (part.empty() || part == "." || part == "..") {
      if (!part.empty()) result += part;
    } else {
      std::string candidate = result + part;
      std::string found;
      if (Exists(candidate)) {
        result = candidate;
      } else if (FindEntry(result, part, found)) {
        result += found;
      } else {
        // Nothing matches: keep the rest as written.
        for (size_t j = i; j < parts.size(); ++j) {
          result += parts[j];
          if (j + 1 < parts.size()) result += '/';
        }
        return result;
      }
    }
    if (i + 1 < parts.size()) result += '/';
  }
  (void)absolute;
  return result;
}

#endif

}  // namespace impact

#include "Platform.h"

#include <cstdlib>
#include <string>

namespace gh {

namespace {
Platform* current = nullptr;
}

Platform& ThePlatform() {
  if (!current) std::abort();  // set by main or the harness before anything runs
  return *current;
}

void SetPlatform(Platform* platform) { current = platform; }

std::string WrapMessage(const std::string& text, size_t width) {
  std::string out;
  size_t start = 0;
  for (;;) {
    const size_t newline = text.find('\n', start);
    const size_t end = newline == std::string::npos ? text.size() : newline;
    std::string line;
    bool first = true;
    for (size_t at = start; at <= end;) {
      size_t space = text.find(' ', at);
      if (space == std::string::npos || space > end) space = end;
      const std::string word = text.substr(at, space - at);
      if (!first && line.size() + 1 + word.size() > width) {
        out += line;
        out += '\n';
        line = word;
      } else {
        if (!first) line += ' ';
        line += word;
      }
      first = false;
      at = space + 1;
    }
    out += line;
    if (newline == std::string::npos) return out;
    out += '\n';
    start = newline + 1;
  }
}

}  // namespace gh

#include "scores/TextFields.h"

namespace gh {

void AppendEscapedField(std::string& out, std::string_view text) {
  static constexpr char hex[] = "0123456789abcdef";
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          out += "\\x";
          out += hex[c >> 4];
          out += hex[c & 0xF];
        } else {
          out += ch;  // bytes of the 8-bit set go as they are
        }
    }
  }
}

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool UnescapeField(std::string_view text, std::string& out) {
  out.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F) return false;
    if (c != '\\') {
      out += text[i];
      continue;
    }
    if (++i >= text.size()) return false;
    switch (text[i]) {
      case '\\':
        out += '\\';
        break;
      case 't':
        out += '\t';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 'x': {
        if (i + 2 >= text.size()) return false;
        const int high = HexDigit(text[i + 1]);
        const int low = HexDigit(text[i + 2]);
        if (high < 0 || low < 0) return false;
        out += static_cast<char>(high << 4 | low);
        i += 2;
        break;
      }
      default:
        return false;
    }
  }
  return true;
}

namespace {

constexpr std::string_view EndLine = "end";

// The next line of `text` from `at`, without its line end; false at the end.
bool NextLine(std::string_view text, size_t& at, std::string_view& line) {
  if (at >= text.size()) return false;
  size_t end = text.find('\n', at);
  const bool whole = end != std::string_view::npos;
  if (!whole) end = text.size();
  line = text.substr(at, end - at);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  at = whole ? end + 1 : end;
  return true;
}

}  // namespace

std::string WriteEntryLines(std::string_view header, const std::vector<std::string>& lines) {
  std::string text(header);
  text += '\n';
  for (const std::string& line : lines) {
    text += line;
    text += '\n';
  }
  text += EndLine;
  text += '\n';
  return text;
}

void ReadEntryLines(std::string_view text, std::string_view header,
                    const std::function<bool(std::string_view)>& take,
                    std::vector<std::string>& problems) {
  size_t at = 0;
  std::string_view line;
  if (!NextLine(text, at, line) || line != header) {
    problems.push_back("it does not begin with \"" + std::string(header) + "\"");
    return;
  }
  for (int number = 2; NextLine(text, at, line); ++number) {
    if (line == EndLine) return;
    if (!take(line)) problems.push_back("line " + std::to_string(number) + " is damaged");
  }
  problems.push_back("it ends before its \"end\" line");
}

}  // namespace gh

#include "scores/UnsentScores.h"

#include <charconv>
#include <cstdio>
#include <system_error>
#include <utility>

#include "platform/System.h"
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

bool TextLines::Next(std::string_view& line) {
  if (at_ >= text_.size()) return false;
  size_t end = text_.find('\n', at_);
  const bool whole = end != std::string_view::npos;
  if (!whole) end = text_.size();
  line = text_.substr(at_, end - at_);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  at_ = whole ? end + 1 : end;
  ++number_;
  return true;
}

namespace {

constexpr std::string_view Header = "gravelhorn2-unsent 1";
constexpr std::string_view EndLine = "end";
// More than any ten entries need; a longer file is read this far.
constexpr size_t MaxFileBytes = 64 * 1024;

bool ParseEntry(std::string_view line, UnsentScore& entry) {
  const size_t tab1 = line.find('\t');
  if (tab1 == std::string_view::npos) return false;
  const size_t tab2 = line.find('\t', tab1 + 1);
  if (tab2 == std::string_view::npos || line.find('\t', tab2 + 1) != std::string_view::npos) {
    return false;
  }
  const std::string_view score = line.substr(0, tab1);
  const char* end = score.data() + score.size();
  const auto parsed = std::from_chars(score.data(), end, entry.score);
  if (score.empty() || parsed.ec != std::errc() || parsed.ptr != end) return false;
  return UnescapeField(line.substr(tab1 + 1, tab2 - tab1 - 1), entry.name) &&
         UnescapeField(line.substr(tab2 + 1), entry.country);
}

}  // namespace

std::string WriteUnsentScores(const std::vector<UnsentScore>& entries) {
  std::string text(Header);
  text += '\n';
  for (const UnsentScore& e : entries) {
    text += std::to_string(e.score);
    text += '\t';
    AppendEscapedField(text, e.name);
    text += '\t';
    AppendEscapedField(text, e.country);
    text += '\n';
  }
  text += EndLine;
  text += '\n';
  return text;
}

std::vector<UnsentScore> ReadUnsentScores(std::string_view text,
                                          std::vector<std::string>& problems) {
  std::vector<UnsentScore> entries;
  TextLines lines(text);
  std::string_view line;
  if (!lines.Next(line) || line != Header) {
    problems.push_back("it does not begin with \"" + std::string(Header) + "\"");
    return entries;
  }
  while (lines.Next(line)) {
    if (line == EndLine) return entries;
    UnsentScore entry;
    if (ParseEntry(line, entry)) {
      entries.push_back(std::move(entry));
    } else {
      problems.push_back("line " + std::to_string(lines.Number()) + " is damaged");
    }
  }
  problems.push_back("it ends before its \"end\" line");
  return entries;
}

void UnsentScores::Load() {
  entries_.clear();
  const Result<std::string> bytes = ReadFileStart(path_, MaxFileBytes);
  if (!bytes) {
    const std::error_code error = bytes.error().code;
    if (error != std::errc::no_such_file_or_directory) {
      std::fprintf(stderr, "Gravelhorn 2: cannot read \"%s\": %s; no score is marked as not sent\n",
                   path_.c_str(), error.message().c_str());
    }
    return;
  }
  std::vector<std::string> problems;
  entries_ = ReadUnsentScores(*bytes, problems);
  for (const std::string& problem : problems) {
    std::fprintf(stderr, "Gravelhorn 2: \"%s\" is damaged: %s; ignored\n", path_.c_str(),
                 problem.c_str());
  }
}

Status UnsentScores::Save() const {
  return ReplaceFileKeepingTail(path_, WriteUnsentScores(entries_));
}

bool UnsentScores::Remove(const UnsentScore& entry) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (*it == entry) {
      entries_.erase(it);
      return true;
    }
  }
  return false;
}

std::array<int, 10> UnsentScores::Rows(const HighScoreList& table) const {
  std::array<int, 10> rows;
  rows.fill(-1);
  std::vector<bool> used(entries_.size(), false);
  for (size_t row = 0; row < table.size(); ++row) {
    for (size_t i = 0; i < entries_.size(); ++i) {
      if (!used[i] && entries_[i].name == table[row].Name &&
          entries_[i].score == table[row].Score) {
        used[i] = true;
        rows[row] = static_cast<int>(i);
        break;
      }
    }
  }
  return rows;
}

bool UnsentScores::KeepOnly(const HighScoreList& table) {
  std::vector<bool> held(entries_.size(), false);
  for (const int i : Rows(table)) {
    if (i >= 0) held[static_cast<size_t>(i)] = true;
  }
  std::vector<UnsentScore> kept;
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (held[i]) kept.push_back(std::move(entries_[i]));
  }
  const bool changed = kept.size() != entries_.size();
  entries_ = std::move(kept);
  return changed;
}

}  // namespace gh

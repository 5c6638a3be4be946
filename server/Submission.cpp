#include "server/Submission.h"

#include <charconv>

namespace gh::scores {

namespace {

namespace protocol = gh::protocol;

// "type=0|name=" and "|z=".
constexpr std::string_view TypeAndName = "type=0|name=";
static_assert(TypeAndName.substr(0, 6) == protocol::TypeField &&
              TypeAndName.substr(6) == protocol::NameField);
constexpr std::string_view Head = TypeAndName;
constexpr std::string_view Tail = protocol::PaddingField;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads "|score=<digits>|key=<capital>|p=<token>|add=" at `at`; its length, or 0.
size_t MatchMiddle(std::string_view text, size_t at, Submission& out) {
  constexpr std::string_view score = protocol::ScoreField;
  if (text.substr(at, score.size()) != score) return 0;
  size_t i = at + score.size();
  const size_t digitsStart = i;
  if (i < text.size() && text[i] == '-') ++i;
  const size_t firstDigit = i;
  while (i < text.size() && IsDigit(text[i]) && i - firstDigit < 11) ++i;
  if (i == firstDigit) return 0;
  // The game writes plain decimal: no leading zeros, no "-0".
  if (text[firstDigit] == '0' && (i - firstDigit > 1 || firstDigit > digitsStart)) return 0;
  int64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data() + digitsStart, text.data() + i, value);
  if (ec != std::errc() || end != text.data() + i) return 0;

  constexpr std::string_view key = protocol::KeyField;
  if (text.substr(i, key.size()) != key) return 0;
  i += key.size();
  if (i >= text.size() || text[i] < 'A' || text[i] > 'Z') return 0;
  const char keyLetter = text[i++];

  constexpr std::string_view p = protocol::TokenFieldName;
  if (text.substr(i, p.size()) != p) return 0;
  i += p.size();
  const std::string_view token = text.substr(i, TokenLength);
  if (!IsWellFormedToken(token)) return 0;
  i += TokenLength;

  constexpr std::string_view add = protocol::CountryField;
  if (text.substr(i, add.size()) != add) return 0;
  i += add.size();

  out.score = value;
  out.key = keyLetter;
  out.token = std::string(token);
  return i - at;
}

}  // namespace

bool IsWellFormedToken(std::string_view text) {
  if (text.size() != TokenLength) return false;
  for (char c : text)
    if (!IsDigit(c) && !(c >= 'a' && c <= 'f')) return false;
  return true;
}

std::optional<std::string> DecodeSymbols(std::string_view symbols) {
  if (symbols.size() % 8 != 0 || symbols.size() > MaxSymbols) return std::nullopt;
  int value[256];
  for (int& v : value) v = -1;
  for (size_t i = 0; i < SymbolAlphabet.size(); ++i)
    value[static_cast<unsigned char>(SymbolAlphabet[i])] = static_cast<int>(i);
  std::string bytes;
  bytes.reserve(symbols.size() / 8 * 5);
  for (size_t block = 0; block < symbols.size(); block += 8) {
    uint64_t bits = 0;
    for (size_t k = 0; k < 8; ++k) {
      const int v = value[static_cast<unsigned char>(symbols[block + k])];
      if (v < 0) return std::nullopt;
      bits = bits << 5 | static_cast<uint64_t>(v);
    }
    for (int shift = 32; shift >= 0; shift -= 8) bytes.push_back(static_cast<char>(bits >> shift));
  }
  return bytes;
}

ParseResult ParseSubmission(std::string_view text) {
  if (text.size() % 5 != 0) return {std::nullopt, "length is not a multiple of 5"};
  if (text.substr(0, Head.size()) != Head)
    return {std::nullopt, "does not start with type=0|name="};
  const size_t tail = text.rfind(Tail);
  if (tail == std::string_view::npos || tail < Head.size())
    return {std::nullopt, "no |z= padding field"};
  const std::string_view padding = text.substr(tail + Tail.size());
  if (padding.size() >= protocol::BlockBytes ||
      padding.find_first_not_of(protocol::PaddingByte) != std::string_view::npos)
    return {std::nullopt, "padding is not 0 to 4 zeros"};

  std::optional<Submission> found;
  size_t foundAt = 0, foundLength = 0;
  for (size_t at = text.find('|', Head.size()); at != std::string_view::npos && at < tail;
       at = text.find('|', at + 1)) {
    Submission candidate;
    const size_t length = MatchMiddle(text.substr(0, tail), at, candidate);
    if (length == 0) continue;
    if (found) return {std::nullopt, "ambiguous: the score, key and token fields occur twice"};
    found = std::move(candidate);
    foundAt = at;
    foundLength = length;
  }
  if (!found) return {std::nullopt, "no score, key and well-formed token fields"};
  found->name = std::string(text.substr(Head.size(), foundAt - Head.size()));
  found->country = std::string(text.substr(foundAt + foundLength, tail - foundAt - foundLength));
  return {std::move(found), {}};
}

std::string CleanText(std::string_view text, size_t maxBytes) {
  std::string kept;
  for (unsigned char c : text) {
    if (kept.size() >= maxBytes) break;
    if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) continue;
    kept.push_back(static_cast<char>(c));
  }
  std::string utf8;
  utf8.reserve(kept.size() * 2);
  for (unsigned char c : kept) {
    if (c < 0x80) {
      utf8.push_back(static_cast<char>(c));
    } else {
      utf8.push_back(static_cast<char>(0xC0 | c >> 6));
      utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return utf8;
}

std::string EscapeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

}  // namespace gh::scores

#include <string_view>

#include "FuzzEntries.h"
#include "scores/ScoreProtocol.h"
#include "server/Submission.h"

namespace gh::fuzz {

namespace {

std::string Encode(const std::string& bytes) { return protocol::EncodeBlocks(bytes); }

bool ValidUtf8WithoutControls(const std::string& s) {
  for (size_t i = 0; i < s.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x20 || c == 0x7F) return false;
    if (c >= 0x80) {
      // CleanText writes only two-byte sequences for U+00A0..U+00FF.
      if ((c != 0xC2 && c != 0xC3) || i + 1 >= s.size()) return false;
      const unsigned char d = static_cast<unsigned char>(s[++i]);
      if ((d & 0xC0) != 0x80 || (c == 0xC2 && d < 0xA0)) return false;
    }
  }
  return true;
}

std::string CheckText(std::string_view text) {
  const scores::ParseResult r = scores::ParseSubmission(text);
  if (r.submission.has_value() == !r.error.empty()) return "a result and an error, or neither";
  if (!r.submission) return {};
  const scores::Submission& s = *r.submission;
  if (!scores::IsWellFormedToken(s.token)) return "a token that is not well formed";
  // The fields put back together give the text again, its padding too.
  const std::string again = protocol::SubmissionText(s.name, s.score, s.key, s.token, s.country);
  if (again != text) return "the fields do not give back the text";
  for (const std::string* field : {&s.name, &s.country}) {
    const std::string clean = scores::CleanText(*field, 24);
    if (!ValidUtf8WithoutControls(clean)) return "a cleaned text with control bytes or bad UTF-8";
    if (clean.size() > 48) return "a cleaned text over its cap";
    const std::string html = scores::EscapeHtml(clean);
    if (html.find_first_of("<>\"'") != std::string::npos) return "markup left in escaped text";
  }
  return {};
}

}  // namespace

std::string CheckSubmission(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  // The input as the `inf` value ...
  if (const auto decoded = scores::DecodeSymbols(input)) {
    if (decoded->size() != input.size() / 8 * 5) return "decoded to the wrong length";
    if (Encode(*decoded) != input) return "decoding then encoding does not give the symbols back";
    if (std::string fault = CheckText(*decoded); !fault.empty()) return fault;
  }
  // ... and as the decoded text.
  return CheckText(input);
}

}  // namespace gh::fuzz

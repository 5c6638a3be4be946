#include <string_view>

#include "FuzzEntries.h"
#include "scores/WebScores.h"

namespace gh::fuzz {

namespace {

// Base-32 back to bytes with the game's alphabet; false for a symbol outside it.
bool Decode(const std::string& symbols, std::string& text) {
  const std::string_view alphabet = SymbolAlphabet;
  uint32_t buffer = 0;
  int bits = 0;
  text.clear();
  for (char c : symbols) {
    const size_t v = alphabet.find(c);
    if (v == std::string_view::npos) return false;
    buffer = buffer << 5 | static_cast<uint32_t>(v);
    bits += 5;
    if (bits >= 8) {
      bits -= 8;
      text.push_back(static_cast<char>(buffer >> bits & 0xFF));
    }
  }
  return true;
}

// The fifth "|"-separated field when there are at least five "|", else "".
std::string FifthField(std::string_view reply) {
  size_t start = 0;
  for (int bar = 0; bar < 4; ++bar) {
    const size_t at = reply.find('|', start);
    if (at == std::string_view::npos) return {};
    start = at + 1;
  }
  const size_t end = reply.find('|', start);
  if (end == std::string_view::npos) return {};
  return std::string(reply.substr(start, end - start));
}

}  // namespace

std::string CheckVersionReply(const uint8_t* data, size_t size) {
  // The client keeps at most MaxReplyBytes of a reply.
  const std::string reply(reinterpret_cast<const char*>(data), std::min(size, MaxReplyBytes));
  const std::string token = TokenFromReply(reply);
  if (token != FifthField(reply)) return "the token is not the text between the 4th and 5th |";

  const std::string text = SubmissionText("name", 1234, token, "country");
  if (text.size() % 5 != 0) return "the submission text is not padded to a multiple of 5";
  if (text.find("|p=" + token + "|add=country|z=") == std::string::npos)
    return "the token is not in its place in the submission";
  const std::string symbols = EncodeSubmission(text);
  if (symbols.size() != text.size() / 5 * 8) return "the encoding has the wrong length";
  std::string decoded;
  if (!Decode(symbols, decoded)) return "the encoding holds a symbol outside the alphabet";
  if (decoded != text) return "the encoding does not decode to the submission text";
  return {};
}

}  // namespace gh::fuzz

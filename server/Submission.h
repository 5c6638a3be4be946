// The score protocol's submission as the game sends it: base-32 symbols of the
// game's alphabet that decode to "type=0|name=..|score=..|key=.|p=..|add=..|z=0..".
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "scores/ScoreProtocol.h"

namespace gh::scores {

using gh::protocol::SymbolAlphabet;

// The longest `inf` value taken; the game's longest honest submission is far shorter.
inline constexpr size_t MaxSymbols = 1024;

// Tokens are this many lowercase hexadecimal digits.
inline constexpr size_t TokenLength = 32;
bool IsWellFormedToken(std::string_view text);

// Symbols back to bytes: every 8 symbols make 5 bytes. Nothing for a symbol
// outside the alphabet or a count that is not a multiple of 8 (the game always
// sends whole 5-byte blocks).
std::optional<std::string> DecodeSymbols(std::string_view symbols);

// The fields of a decoded submission, texts as sent (bytes of an 8-bit set).
struct Submission {
  std::string name;
  int64_t score = 0;
  char key = 0;
  std::string token;
  std::string country;
};

struct ParseResult {
  std::optional<Submission> submission;
  std::string error;  // why there is none
};

// Splits a decoded submission into its fields. Names and countries are sent
// unescaped and may hold "|" and even whole "|score=" texts, so the fixed
// middle "|score=<digits>|key=<capital>|p=<token>|add=" is looked for with a
// well-formed token in it: it must occur exactly once, the name is what comes
// before it, the country what follows it up to the last "|z=" (the padding
// zeros after that one are the end of the text). A text in which the middle
// occurs twice is refused as ambiguous rather than guessed at.
ParseResult ParseSubmission(std::string_view text);

// A name or country as the table keeps it: control bytes dropped, at most
// `maxBytes` bytes of what is left, then read as Latin-1 and written as UTF-8.
std::string CleanText(std::string_view text, size_t maxBytes);

// Text safe inside HTML element content and attribute values.
std::string EscapeHtml(std::string_view text);

}  // namespace gh::scores

// The score protocol in one place: the game's client, the score server, the
// fuzz targets, the tests and the benchmark all take it from here.
//
// Every request of the protocol is a GET of ScriptPath with one of three
// queries; one further request, a POST, carries a game's recording. The version
// reply's fifth "|"-separated field is a token; the submission carries the
// fields below, padded to a multiple of 5 bytes and written in base 32 with
// SymbolAlphabet (RFC 4648 bit order, no padding symbols).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace gh::protocol {

inline constexpr std::string_view ScriptPath = "/cgi/version.pl";
inline constexpr std::string_view Product = "Gravelhorn2";

// The three queries, without the "?".
inline constexpr std::string_view VersionQuery = "version&prg=Gravelhorn2";
inline constexpr std::string_view SubmitQuery = "hs&prg=Gravelhorn2&inf=";  // + symbols
inline constexpr std::string_view PageQuery = "prg=Gravelhorn2&show&type=0";

// The addition after a submission the server took: the game's recording,
// POSTed as the body (application/octet-stream) with the submission's token.
inline constexpr std::string_view UploadQuery = "rec&prg=Gravelhorn2&p=";  // + token
// The score page's views and downloads: only verified rows, and one row's
// recording ("rec=" + the row's id).
inline constexpr std::string_view VerifiedParam = "verified";
inline constexpr std::string_view RecordingParam = "rec";
inline constexpr std::string_view UploadTokenParam = "p";
inline constexpr std::string_view RecordingExtension = ".gh2rec";

// Their parameter names: bare words without a value, and the ones with one.
inline constexpr std::string_view VersionWord = "version";
inline constexpr std::string_view SubmitWord = "hs";
inline constexpr std::string_view PageWord = "show";
inline constexpr std::string_view ProductParam = "prg";
inline constexpr std::string_view SubmissionParam = "inf";
inline constexpr std::string_view TableParam = "type";
inline constexpr std::string_view ScoreTable = "0";

// The 32 symbols, value 0 first (the letters A to Y without I and O, then 1 to 9).
inline constexpr std::string_view SymbolAlphabet = "ABCDEFGHJKLMNPQRSTUVWXY123456789";

// The version reply's field that holds the token (0-based, "|"-separated).
inline constexpr int TokenField = 4;

// The submission's fields, in order; the name and the country go in unescaped.
inline constexpr std::string_view TypeField = "type=0";
inline constexpr std::string_view NameField = "|name=";
inline constexpr std::string_view ScoreField = "|score=";
inline constexpr std::string_view KeyField = "|key=";
inline constexpr std::string_view TokenFieldName = "|p=";
inline constexpr std::string_view CountryField = "|add=";
inline constexpr std::string_view PaddingField = "|z=";
inline constexpr char PaddingByte = '0';
inline constexpr size_t BlockBytes = 5;  // the text is padded to whole blocks
inline constexpr size_t BlockSymbols = 8;

// The key letter a build uses unless it is built with another one.
inline constexpr char DefaultKey = 'G';

// The submission text before encoding, padded to whole blocks.
inline std::string SubmissionText(std::string_view name, int64_t score, char key,
                                  std::string_view token, std::string_view country) {
  std::string text;
  text.reserve(64 + name.size() + token.size() + country.size());
  text.append(TypeField).append(NameField).append(name).append(ScoreField);
  text.append(std::to_string(score)).append(KeyField).push_back(key);
  text.append(TokenFieldName).append(token).append(CountryField).append(country);
  text.append(PaddingField);
  while (text.size() % BlockBytes != 0) text.push_back(PaddingByte);
  return text;
}

// Whole blocks of bytes to symbols; a cut last block is left out.
inline std::string EncodeBlocks(std::string_view bytes) {
  std::string symbols;
  symbols.reserve(bytes.size() / BlockBytes * BlockSymbols);
  for (size_t block = 0; block + BlockBytes <= bytes.size(); block += BlockBytes) {
    uint64_t bits = 0;
    for (size_t k = 0; k < BlockBytes; ++k)
      bits = bits << 8 | static_cast<unsigned char>(bytes[block + k]);
    for (int shift = 35; shift >= 0; shift -= 5)
      symbols.push_back(SymbolAlphabet[bits >> shift & 31]);
  }
  return symbols;
}

}  // namespace gh::protocol

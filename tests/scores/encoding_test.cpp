// The submission text, its encoding and the token taken from a version reply.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "FuzzEntries.h"
#include "scores/WebScores.h"

namespace gh {
namespace {

TEST(Encoding, PaddedAbcGivesTheKnownSymbols) { EXPECT_EQ(EncodeSubmission("abc00"), "NFTGGNBS"); }

TEST(Encoding, IsBase32InTheGameAlphabet) {
  // Standard base-32 test vectors, with the standard alphabet's symbols mapped
  // to the game's by value.
  const std::string standard = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";
  auto map = [&](const std::string& s) {
    std::string out;
    for (char c : s) out.push_back(SymbolAlphabet[standard.find(c)]);
    return out;
  };
  struct Case {
    std::string text, base32;
  };
  for (const Case& c :
       {Case{"", ""}, Case{"fooba", "MZXW6YTB"},
        Case{"fooba"
             "rbaz!",
             "MZXW6YTBOJRGC6RB"},
        Case{std::string(5, '\0'), "AAAAAAAA"}, Case{std::string(5, '\xFF'), "77777777"}}) {
    EXPECT_EQ(EncodeSubmission(c.text), map(c.base32)) << c.text;
  }
  EXPECT_EQ(std::string(SymbolAlphabet), "ABCDEFGHJKLMNPQRSTUVWXY123456789");
}

TEST(Encoding, BitTextIsEightDigitsPerByteMostSignificantFirst) {
  EXPECT_EQ(ToBitText(""), "");
  EXPECT_EQ(ToBitText("\x80\x01"), "1000000000000001");
  EXPECT_EQ(ToBitText("\xFF"
                      "a"),
            "1111111101100001");
}

TEST(Encoding, SymbolsPadTheBitTextInFrontAndCountAnyNonZeroAsOne) {
  struct Case {
    std::string bits, symbols;
  };
  for (const Case& c : {Case{"1", "B"}, Case{"111111", "B9"}, Case{"00000", "A"},
                        Case{"x0000", "S"}, Case{"1111111111", "99"}, Case{"", ""}}) {
    EXPECT_EQ(BitTextToSymbols(c.bits), c.symbols) << c.bits;
  }
}

TEST(Submission, FieldsInOrderPaddedToAMultipleOfFive) {
  const std::string key = GH_SCORE_KEY;
  EXPECT_EQ(SubmissionText("abc", 123, "TOK", "de"),
            "type=0|name=abc|score=123|key=" + key + "|p=TOK|add=de|z=000");
  EXPECT_EQ(SubmissionText("", -5, "", ""), "type=0|name=|score=-5|key=" + key + "|p=|add=|z=00");
  // Typed bars stay as they are.
  EXPECT_NE(SubmissionText("a|b", 1, "", "x|y").find("|name=a|b|score=1"), std::string::npos);
}

TEST(Submission, LengthsFortyAndFortyOneGiveSixtyFourAndSeventyTwoSymbols) {
  // Without padding, name "", score 0, no token and no country make 37 characters.
  const std::string forty = SubmissionText("abc", 0, "", "");
  const std::string fortyOne = SubmissionText("abcd", 0, "", "");
  EXPECT_EQ(forty.size(), 40u);
  EXPECT_EQ(forty.substr(37), "|z=");
  EXPECT_EQ(fortyOne.size(), 45u);
  EXPECT_EQ(fortyOne.substr(38), "|z=0000");
  EXPECT_EQ(EncodeSubmission(forty).size(), 64u);
  EXPECT_EQ(EncodeSubmission(fortyOne).size(), 72u);
}

TEST(Token, IsTheTextBetweenTheFourthAndFifthBar) {
  struct Case {
    const char* reply;
    const char* token;
  };
  for (const Case& c : {Case{"a|b|c|d|TOK|e", "TOK"}, Case{"a|b|c|d|TOK|", "TOK"},
                        Case{"a|b|c|d|e|f|g|h", "e"}, Case{"a|b|c|d|tail", ""}, Case{"||||", ""},
                        Case{"|||||", ""}, Case{"||||x|", "x"}, Case{"", ""}, Case{"no bars", ""},
                        Case{"|a||b||c", ""}, Case{"1|2|3|4|x y\r\n|", "x y\r\n"}}) {
    EXPECT_EQ(TokenFromReply(c.reply), c.token) << c.reply;
  }
}

TEST(VersionReplyCorpus, EveryFileIsHandled) {
  const std::filesystem::path dir =
      std::filesystem::path(GH_SOURCE_DIR) / "fuzz/corpus/version_reply";
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(
        gh::fuzz::CheckVersionReply(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()),
        "")
        << entry.path();
    ++files;
  }
  EXPECT_GT(files, 0) << "no corpus in " << dir;
}

}  // namespace
}  // namespace gh

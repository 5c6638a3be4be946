// The submission as the game encodes it, read back by the server: decoding,
// the field split (with "|" inside names and countries), and the cleaning of
// texts for the table and the page.
#include "server/Submission.h"

#include <gtest/gtest.h>

#include "scores/WebScores.h"

namespace gh::scores {
namespace {

const std::string Token = "0123456789abcdef0123456789abcdef";

TEST(DecodeSymbols, ReadsWhatTheGameEncodes) {
  EXPECT_EQ(DecodeSymbols("NFTGGNBS"), std::optional<std::string>("abc00"));
  const std::string all = [] {
    std::string s;
    for (int b = 0; b < 256; ++b) s.push_back(static_cast<char>(b));
    return s;  // 256 bytes: not a multiple of 5, padded below
  }() + "0000";
  EXPECT_EQ(DecodeSymbols(gh::EncodeSubmission(all)), std::optional<std::string>(all));
}

TEST(DecodeSymbols, RefusesWhatTheGameCannotSend) {
  const struct {
    const char* why;
    std::string symbols;
  } cases[] = {
      {"not whole blocks", "NFTGGNB"},
      {"letter I", "NFTGGNBI"},
      {"letter O", "OFTGGNBS"},
      {"digit 0", "NFTGGNB0"},
      {"lower case", "nftggnbs"},
      {"a byte outside ASCII", std::string("NFTGGNB\xC3", 8)},
      {"a zero byte", std::string("NFTG\0NBS", 8)},
      {"too long", std::string(MaxSymbols + 8, 'A')},
  };
  for (const auto& c : cases) EXPECT_FALSE(DecodeSymbols(c.symbols)) << c.why;
  EXPECT_EQ(DecodeSymbols(""), std::optional<std::string>(""));
}

// The game's own submission text, split back into its fields.
TEST(ParseSubmission, SplitsTheGamesTextEvenWithBarsInNameAndCountry) {
  const struct {
    std::string name, country;
    int score;
  } cases[] = {
      {"Anna", "Norway", 1234},
      {"", "", 1},
      {"a|b", "c|d", 77},
      {"|", "|", 5},
      {"x|score=9|key=Q|p=|add=", "y|z=", 600},  // no well-formed token inside
      {"n", "ends|z=0", 42},                     // a country that looks like padding
      {"n", "|z=|z=", 42},
      {"\x7f\x01<b>", "\xe9t\xe9", 2147483647},
  };
  for (const auto& c : cases) {
    const std::string text = gh::SubmissionText(c.name, c.score, Token, c.country);
    const ParseResult r = ParseSubmission(text);
    ASSERT_TRUE(r.submission) << text << ": " << r.error;
    EXPECT_EQ(r.submission->name, c.name) << text;
    EXPECT_EQ(r.submission->country, c.country) << text;
    EXPECT_EQ(r.submission->score, c.score) << text;
    EXPECT_EQ(r.submission->key, GH_SCORE_KEY[0]) << text;
    EXPECT_EQ(r.submission->token, Token) << text;
  }
}

TEST(ParseSubmission, RefusesBrokenAndAmbiguousTexts) {
  auto pad = [](std::string s) {
    while (s.size() % 5) s += '0';
    return s;
  };
  const std::string middle = "|score=10|key=G|p=" + Token + "|add=";
  const struct {
    const char* why;
    std::string text;
  } cases[] = {
      {"empty", ""},
      {"not a multiple of 5", "type=0|name=a" + middle + "b|z="},
      {"another type", pad("type=1|name=a" + middle + "b|z=")},
      {"no padding field", pad("type=0|name=a" + middle + "b")},
      {"padding not zeros", "type=0|name=abcd" + middle + "|z=x"},
      {"no token", pad("type=0|name=a|score=10|key=G|p=|add=b|z=")},
      {"short token", pad("type=0|name=a|score=10|key=G|p=0123|add=b|z=")},
      {"upper-case token", pad("type=0|name=a|score=10|key=G|p=0123456789ABCDEF0123456789ABCDEF"
                               "|add=b|z=")},
      {"no score", pad("type=0|name=a|score=|key=G|p=" + Token + "|add=b|z=")},
      {"score not a number", pad("type=0|name=a|score=1e5|key=G|p=" + Token + "|add=b|z=")},
      {"leading zero", pad("type=0|name=a|score=0617|key=G|p=" + Token + "|add=b|z=")},
      {"minus zero", pad("type=0|name=a|score=-0|key=G|p=" + Token + "|add=b|z=")},
      {"score too long", pad("type=0|name=a|score=123456789012|key=G|p=" + Token + "|add=b|z=")},
      {"lower-case key", pad("type=0|name=a|score=1|key=g|p=" + Token + "|add=b|z=")},
      {"two keys", pad("type=0|name=a|score=1|key=GG|p=" + Token + "|add=b|z=")},
      {"the middle twice (forged in the name)", pad("type=0|name=a" + middle + middle + "b|z=")},
  };
  for (const auto& c : cases) {
    const ParseResult r = ParseSubmission(c.text);
    EXPECT_FALSE(r.submission) << c.why;
    EXPECT_FALSE(r.error.empty()) << c.why;
  }
}

TEST(CleanText, DropsControlBytesCapsAndWritesUtf8) {
  const struct {
    std::string in;
    size_t max;
    std::string out;
  } cases[] = {
      {"Anna", 24, "Anna"},
      {"a\tb\nc\rd\x1b[2Je\x7f", 24, "abcd[2Je"},
      {"\xe9t\xe9", 24, "\xc3\xa9t\xc3\xa9"},  // Latin-1 to UTF-8
      {"a\x85z\x9f", 24, "az"},                // C1 controls dropped
      {std::string(100, 'x'), 24, std::string(24, 'x')},
      {"\xff\xff\xff", 2, "\xc3\xbf\xc3\xbf"},  // the cap counts sent bytes
      {"", 24, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CleanText(c.in, c.max), c.out) << c.in;
}

TEST(EscapeHtml, LeavesNoMarkup) {
  EXPECT_EQ(EscapeHtml("<script>alert('x')</script>&\""),
            "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;&amp;&quot;");
  EXPECT_EQ(EscapeHtml("plain"), "plain");
}

}  // namespace
}  // namespace gh::scores

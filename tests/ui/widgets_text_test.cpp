// The widgets' text rules that need no engine: key names and the help text's lines.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "ui/Widgets.h"

namespace gh {
namespace {

TEST(KeyName, NamesEveryCodeOfTheTable) {
  const struct {
    int code;
    const char* name;
  } named[] = {
      {1, "ESC"},  {2, "1"},  {10, "9"},  {11, "0"},  {12, "-"},   {13, "="},   {14, "BACK"},
      {15, "TAB"}, {16, "Q"}, {25, "P"},  {26, "["},  {27, "]"},   {30, "A"},   {38, "L"},
      {44, "Z"},   {50, "M"}, {59, "F1"}, {63, "F5"}, {68, "F10"}, {87, "F11"}, {88, "F12"},
  };
  for (const auto& k : named) EXPECT_EQ(KeyName(k.code), k.name) << k.code;
}

TEST(KeyName, EveryOtherCodeIsNone) {
  const auto named = [](int c) {
    return (c >= 1 && c <= 27) || (c >= 30 && c <= 38) || (c >= 44 && c <= 50) ||
           (c >= 59 && c <= 68) || c == 87 || c == 88;
  };
  int others = 0;
  for (int code = -1; code <= 256; ++code) {
    if (named(code)) continue;
    EXPECT_EQ(KeyName(code), "None") << code;
    ++others;
  }
  EXPECT_GT(others, 200);
}

TEST(HelpText, SplitsLinesOfEitherEndingAndKeepsEmptyOnes) {
  const struct {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {"empty file", "", {}},
      {"one line without a newline", "Shoot", {"Shoot"}},
      {"LF", "a\nb\n", {"a", "b"}},
      {"CR LF", "a\r\nb\r\n", {"a", "b"}},
      {"blank lines stay", "a\n\n\nb", {"a", "", "", "b"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitHelpLines(c.text), c.lines) << c.name;
}

TEST(HelpText, ALongTextKeepsItsFirst255Lines) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += "line " + std::to_string(i) + "\n";
  const auto lines = SplitHelpLines(text);
  ASSERT_EQ(lines.size(), 255u);
  EXPECT_EQ(lines.front(), "line 0");
  EXPECT_EQ(lines.back(), "line 254");
  EXPECT_EQ(ScrollingText(std::vector<std::string>(400, "x")).Lines.size(), 255u);
}

// A help file that cannot be read is an error naming it (the program stops
// with that message), never an exception or an empty help page.
TEST(HelpText, ReadingGivesTheLinesOrAnErrorNamingTheFile) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(::testing::TempDir()) / "gh_help_text";
  fs::create_directories(dir);
  const std::string present = (dir / "Help.txt").string();
  const std::string missing = (dir / "Gone.txt").string();
  std::ofstream(present, std::ios::binary) << "Shoot\r\n\r\nReload\r\n";

  const auto lines = ReadHelpLines(present);
  ASSERT_TRUE(lines.ok()) << lines.error().message;
  EXPECT_EQ(*lines, (std::vector<std::string>{"Shoot", "", "Reload"}));

  const auto none = ReadHelpLines(missing);
  ASSERT_FALSE(none.ok());
  EXPECT_EQ(none.error().message.rfind("Cannot open file \"" + missing + "\".", 0), 0u)
      << none.error().message;
  EXPECT_EQ(none.error().code, std::error_code(ENOENT, std::generic_category()));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace gh

// A field of a line in the program's small text files beside Config.cfg: the
// bytes that would break the line (tab, line ends, control bytes) and the
// backslash are escaped ("\\", "\t", "\n", "\r", "\xHH"); every other byte of
// the 8-bit set goes as it is.
#pragma once
#include <string>
#include <string_view>

namespace gh {

void AppendEscapedField(std::string& out, std::string_view text);
// False for a broken escape or a byte a writer never leaves unescaped.
bool UnescapeField(std::string_view text, std::string& out);

// The lines of such a file, one at a time, counted from 1; a line edited on
// Windows loses its "\r".
class TextLines {
 public:
  explicit TextLines(std::string_view text) : text_(text) {}
  bool Next(std::string_view& line);
  int Number() const { return number_; }

 private:
  std::string_view text_;
  size_t at_ = 0;
  int number_ = 0;
};

}  // namespace gh

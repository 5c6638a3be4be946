// A field of a line in the program's small text files beside Config.cfg: the
// bytes that would break the line (tab, line ends, control bytes) and the
// backslash are escaped ("\\", "\t", "\n", "\r", "\xHH"); every other byte of
// the 8-bit set goes as it is.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace gh {

void AppendEscapedField(std::string& out, std::string_view text);
// False for a broken escape or a byte a writer never leaves unescaped.
bool UnescapeField(std::string_view text, std::string& out);

// The frame the files share: a header line, a line an entry, then "end".
std::string WriteEntryLines(std::string_view header, const std::vector<std::string>& lines);
// Hands each entry line to `take`, which says whether it could read it; a
// line it could not, a wrong header and a file cut before its "end" are named
// in `problems`. A line edited on Windows loses its "\r".
void ReadEntryLines(std::string_view text, std::string_view header,
                    const std::function<bool(std::string_view)>& take,
                    std::vector<std::string>& problems);

}  // namespace gh

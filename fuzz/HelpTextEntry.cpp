#include <algorithm>

#include "FuzzEntries.h"
#include "ui/Widgets.h"

namespace gh::fuzz {

std::string CheckHelpText(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> lines = SplitHelpLines(text);
  if (lines.size() > ScrollingText::MaxLines) return "more lines than the scroll text shows";

  // The lines are the text's own, in order: joined with LF (a CR of a CR LF
  // ending dropped) they give back the start of the text.
  size_t at = 0;
  for (const auto& line : lines) {
    if (line.find('\n') != std::string::npos) return "a line holds a line feed";
    if (text.compare(at, line.size(), line) != 0) return "a line is not the text's own";
    at += line.size();
    if (at < text.size() && text[at] == '\r') ++at;  // the CR of CR LF
    if (at < text.size()) {
      if (text[at] != '\n') return "a line ends before its line feed";
      ++at;
    }
  }
  // Only the line limit leaves text unread.
  if (at < text.size() && lines.size() < ScrollingText::MaxLines) return "text left unread";
  if (lines.size() < ScrollingText::MaxLines) {
    const auto feeds = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    const size_t expected = feeds + (text.empty() || text.back() == '\n' ? 0 : 1);
    if (lines.size() != expected) return "line count differs from the text's line feeds";
  }

  // The widget takes them as they are and draws them without harm.
  ScrollingText scroll(lines);
  if (scroll.Lines != lines) return "the scroll text changed its lines";
  return {};
}

}  // namespace gh::fuzz

// Caption parsing and line layout for labels, independent of any font technology: the caller
// measures text.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// A caption with its "&" marks resolved: "&&" is a literal ampersand, "&x" makes x the access
// key (underlined), a trailing lone "&" is dropped.
struct ParsedCaption {
  std::string text;
  int accessIndex = -1;  // index in `text` of the underlined character, or -1
  char AccessKey() const;
};
ParsedCaption ParseCaption(std::string_view caption);

struct TextLine {
  std::size_t begin = 0;  // into ParsedCaption::text
  std::size_t end = 0;
};

using MeasureText = std::function<int(std::string_view)>;

// Breaks `text` into lines no wider than `width` pixels where it can: lines break at blanks,
// the blanks at a break are dropped, blanks leading the text are kept, and a word wider than
// the line stands alone on its own line.
std::vector<TextLine> WrapText(std::string_view text, int width, const MeasureText& measure);

}  // namespace corvane

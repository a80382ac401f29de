#include "controls/text_layout.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

struct CaptionCase {
  const char* caption;
  const char* text;
  int accessIndex;
  char key;
};

TEST(ParseCaption, ResolvesAmpersands) {
  const CaptionCase cases[] = {
      {"&Homepage", "Homepage", 0, 'H'},
      {"Get &Professional", "Get Professional", 4, 'P'},
      {"Sho&w help text", "Show help text", 3, 'W'},
      {"Fish && Chips", "Fish & Chips", -1, 0},
      {"&&&a", "&a", 1, 'A'},
      {"trailing&", "trailing", -1, 0},
      {"&first &second", "first second", 0, 'F'},
      {"", "", -1, 0},
  };
  for (const CaptionCase& c : cases) {
    SCOPED_TRACE(c.caption);
    const ParsedCaption parsed = ParseCaption(c.caption);
    EXPECT_EQ(parsed.text, c.text);
    EXPECT_EQ(parsed.accessIndex, c.accessIndex);
    EXPECT_EQ(parsed.AccessKey(), c.key);
  }
}

struct WrapCase {
  const char* text;
  int width;  // in characters: the metric below makes every character one pixel wide
  std::vector<std::string> lines;
};

TEST(WrapText, BreaksAtBlanksWithinTheWidth) {
  const WrapCase cases[] = {
      {"aaa bbb ccc", 7, {"aaa bbb", "ccc"}},
      {"aaa bbb", 7, {"aaa bbb"}},                 // an exact fit stays on one line
      {"    aaa bbb", 8, {"    aaa", "bbb"}},      // blanks leading the text are kept
      {"aaa     bbb", 4, {"aaa", "bbb"}},          // blanks at a break are dropped
      {"abcdefghij xy", 4, {"abcdefghij", "xy"}},  // a word wider than the line stands alone
      {"a b", 0, {"a", "b"}},
      {"", 10, {""}},
  };
  const MeasureText measure = [](std::string_view s) { return static_cast<int>(s.size()); };
  for (const WrapCase& c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<std::string> lines;
    const std::string text = c.text;
    for (const TextLine& line : WrapText(text, c.width, measure))
      lines.push_back(text.substr(line.begin, line.end - line.begin));
    EXPECT_EQ(lines, c.lines);
  }
}

TEST(WrapText, MeasuresWholeLinesNotCharacterSums) {
  // A metric with kerning-like behaviour: a line costs its length plus one per blank.
  const MeasureText measure = [](std::string_view s) {
    return static_cast<int>(s.size() + static_cast<std::size_t>(std::count(s.begin(), s.end(), ' ')));
  };
  const std::string text = "ab cd ef";
  std::vector<std::string> lines;
  for (const TextLine& line : WrapText(text, 6, measure))
    lines.push_back(text.substr(line.begin, line.end - line.begin));
  EXPECT_EQ(lines, (std::vector<std::string>{"ab cd", "ef"}));
}

}  // namespace
}  // namespace corvane

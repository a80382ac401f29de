#include "controls/text_layout.h"

#include <cctype>

namespace corvane {

char ParsedCaption::AccessKey() const {
  if (accessIndex < 0) return 0;
  return static_cast<char>(std::toupper(static_cast<unsigned char>(text[static_cast<std::size_t>(accessIndex)])));
}

ParsedCaption ParseCaption(std::string_view caption) {
  ParsedCaption parsed;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] != '&') {
      parsed.text += caption[i];
      continue;
    }
    if (i + 1 >= caption.size()) break;  // a lone "&" at the end shows nothing
    if (caption[i + 1] != '&' && parsed.accessIndex < 0) parsed.accessIndex = static_cast<int>(parsed.text.size());
    parsed.text += caption[++i];
  }
  return parsed;
}

std::vector<TextLine> WrapText(std::string_view text, int width, const MeasureText& measure) {
  std::vector<TextLine> lines;
  std::size_t start = 0;
  while (start < text.size() || lines.empty()) {
    // The line grows word by word; `fit` is the end of the last word that still fits.
    std::size_t fit = start;
    std::size_t pos = start;
    if (lines.empty()) {
      while (pos < text.size() && text[pos] == ' ') ++pos;  // leading blanks belong to the first word
    }
    while (pos < text.size()) {
      std::size_t wordEnd = pos;
      while (wordEnd < text.size() && text[wordEnd] != ' ') ++wordEnd;
      if (fit != start && measure(text.substr(start, wordEnd - start)) > width) break;
      fit = wordEnd;
      pos = wordEnd;
      while (pos < text.size() && text[pos] == ' ') ++pos;
      if (measure(text.substr(start, fit - start)) > width) break;  // a lone word wider than the line
    }
    if (fit == start) fit = text.size();  // nothing but blanks remain
    lines.push_back({start, fit});
    start = fit;
    while (start < text.size() && text[start] == ' ') ++start;
  }
  return lines;
}

}  // namespace corvane

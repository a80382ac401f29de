// Pixels for the end-to-end tests: points and rectangles in screen pixels, RGB colours compared
// with a tolerance, screenshots held in memory and saved as PNG files for people to look at.
#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace corvane::e2e {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  // From Windows' left, top, right, bottom.
  static Rect FromEdges(int left, int top, int right, int bottom) { return {left, top, right - left, bottom - top}; }
  int Right() const { return x + width; }
  int Bottom() const { return y + height; }
  bool Contains(Point p) const { return p.x >= x && p.y >= y && p.x < Right() && p.y < Bottom(); }
  Point Center() const { return {x + width / 2, y + height / 2}; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;

  // From 0xRRGGBB.
  static constexpr Rgb FromHex(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value)};
  }
  // From "rrggbb", as probe.exe prints colours; throws on anything else.
  static Rgb Parse(const std::string& hex);
  std::string Hex() const;  // "#rrggbb"
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The largest difference of one channel.
int ColorDistance(Rgb a, Rgb b);
inline bool Near(Rgb a, Rgb b, int tolerance) { return ColorDistance(a, b) <= tolerance; }

std::ostream& operator<<(std::ostream& out, const Point& p);
std::ostream& operator<<(std::ostream& out, const Rect& r);
std::ostream& operator<<(std::ostream& out, const Rgb& c);

// A captured piece of the screen, remembering where on the screen it was.
class Image {
 public:
  Image() = default;
  Image(Rect area, std::vector<Rgb> pixels);

  const Rect& Area() const { return area_; }
  // The pixel at a screen position inside Area().
  Rgb At(Point screen) const;
  // Every pixel in a screen rectangle (clipped to Area()) equals colour within tolerance.
  bool AllNear(const Rect& screenRect, Rgb colour, int tolerance) const;

  // Writes an 8-bit RGB PNG; throws std::runtime_error when the file cannot be written.
  void SavePng(const std::filesystem::path& file) const;

 private:
  Rect area_;
  std::vector<Rgb> pixels_;
};

// Saves an image under build/e2e-screenshots/ as <Suite>.<Test>[-label].png and returns the
// path. Names of parameterised tests have their "/" replaced by "_".
std::filesystem::path SaveScreenshot(const Image& image, const std::string& label = {});

}  // namespace corvane::e2e

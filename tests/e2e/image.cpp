#include "image.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace corvane::e2e {

namespace {

void PutU32(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xff);
}

void PutChunk(std::string& out, const char type[4], const std::string& data) {
  PutU32(out, static_cast<std::uint32_t>(data.size()));
  const std::string body = std::string(type, 4) + data;
  out += body;
  PutU32(out, static_cast<std::uint32_t>(
                  crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
}

}  // namespace

Rgb Rgb::Parse(const std::string& hex) {
  char* end = nullptr;
  const unsigned long value = std::strtoul(hex.c_str(), &end, 16);
  if (hex.size() != 6 || *end != '\0') throw std::runtime_error("not an rrggbb colour: \"" + hex + "\"");
  return FromHex(static_cast<std::uint32_t>(value));
}

std::string Rgb::Hex() const {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", r, g, b);
  return text;
}

int ColorDistance(Rgb a, Rgb b) { return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)}); }

std::ostream& operator<<(std::ostream& out, const Point& p) { return out << "(" << p.x << "," << p.y << ")"; }

std::ostream& operator<<(std::ostream& out, const Rect& r) {
  return out << r.width << "x" << r.height << "+" << r.x << "+" << r.y;
}

std::ostream& operator<<(std::ostream& out, const Rgb& c) { return out << c.Hex(); }

Image::Image(Rect area, std::vector<Rgb> pixels) : area_(area), pixels_(std::move(pixels)) {
  if (pixels_.size() != static_cast<size_t>(area_.width) * static_cast<size_t>(area_.height)) {
    throw std::invalid_argument("image size does not match its pixels");
  }
}

Rgb Image::At(Point screen) const {
  if (!area_.Contains(screen)) {
    throw std::out_of_range("point (" + std::to_string(screen.x) + "," + std::to_string(screen.y) +
                            ") lies outside the captured area");
  }
  return pixels_[static_cast<size_t>(screen.y - area_.y) * static_cast<size_t>(area_.width) +
                 static_cast<size_t>(screen.x - area_.x)];
}

bool Image::AllNear(const Rect& screenRect, Rgb colour, int tolerance) const {
  const int left = std::max(screenRect.x, area_.x);
  const int top = std::max(screenRect.y, area_.y);
  const int right = std::min(screenRect.Right(), area_.Right());
  const int bottom = std::min(screenRect.Bottom(), area_.Bottom());
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      if (!Near(At({x, y}), colour, tolerance)) return false;
    }
  }
  return true;
}

void Image::SavePng(const std::filesystem::path& file) const {
  // Each row: filter byte 0 (none), then RGB.
  std::string raw;
  raw.reserve(static_cast<size_t>(area_.height) * (1 + 3 * static_cast<size_t>(area_.width)));
  for (int y = 0; y < area_.height; ++y) {
    raw += '\0';
    for (int x = 0; x < area_.width; ++x) {
      const Rgb& c = pixels_[static_cast<size_t>(y) * static_cast<size_t>(area_.width) + static_cast<size_t>(x)];
      raw += static_cast<char>(c.r);
      raw += static_cast<char>(c.g);
      raw += static_cast<char>(c.b);
    }
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(packedSize, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
                static_cast<uLong>(raw.size()), 6) != Z_OK) {
    throw std::runtime_error("zlib could not compress the image");
  }
  packed.resize(packedSize);

  std::string header;
  PutU32(header, static_cast<std::uint32_t>(area_.width));
  PutU32(header, static_cast<std::uint32_t>(area_.height));
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace

  std::string png("\x89PNG\r\n\x1a\n", 8);
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", packed);
  PutChunk(png, "IEND", {});

  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(png.data(), static_cast<std::streamsize>(png.size()));
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

std::filesystem::path SaveScreenshot(const Image& image, const std::string& label) {
  std::string name = "screenshot";
  if (const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info()) {
    name = std::string(test->test_suite_name()) + "." + test->name();
  }
  std::replace(name.begin(), name.end(), '/', '_');
  if (!label.empty()) name += "-" + label;
  const std::filesystem::path file = std::filesystem::path(CORVANE_E2E_SCREENSHOT_DIR) / (name + ".png");
  image.SavePng(file);
  return file;
}

}  // namespace corvane::e2e

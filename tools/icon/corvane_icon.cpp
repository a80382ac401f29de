// Draws Corvane's icon and writes it in the .ico format.
#include "icon/corvane_icon.h"

#include <algorithm>

namespace corvane::icon {

const std::array<Rgb, 16> kVgaPalette{{
    {0x00, 0x00, 0x00},
    {0x80, 0x00, 0x00},
    {0x00, 0x80, 0x00},
    {0x80, 0x80, 0x00},
    {0x00, 0x00, 0x80},
    {0x80, 0x00, 0x80},
    {0x00, 0x80, 0x80},
    {0xC0, 0xC0, 0xC0},
    {0x80, 0x80, 0x80},
    {0xFF, 0x00, 0x00},
    {0x00, 0xFF, 0x00},
    {0xFF, 0xFF, 0x00},
    {0x00, 0x00, 0xFF},
    {0xFF, 0x00, 0xFF},
    {0x00, 0xFF, 0xFF},
    {0xFF, 0xFF, 0xFF},
}};

namespace {

class Painter {
 public:
  explicit Painter(std::uint8_t ground) {
    for (auto& row : pixels_) row.fill(ground);
  }

  const IconPixels& Pixels() const { return pixels_; }
  std::uint8_t At(int x, int y) const { return pixels_[y][x]; }

  void Set(int x, int y, std::uint8_t color) {
    if (x >= 0 && x < kIconSize && y >= 0 && y < kIconSize) pixels_[y][x] = color;
  }

  void Fill(const PixelBox& box, std::uint8_t color) {
    for (int y = box.top; y <= box.bottom; ++y)
      for (int x = box.left; x <= box.right; ++x) Set(x, y, color);
  }

  void Frame(const PixelBox& box, std::uint8_t color) {
    for (int x = box.left; x <= box.right; ++x) {
      Set(x, box.top, color);
      Set(x, box.bottom, color);
    }
    for (int y = box.top; y <= box.bottom; ++y) {
      Set(box.left, y, color);
      Set(box.right, y, color);
    }
  }

 private:
  IconPixels pixels_{};
};

// Marks every second pixel; every fourth mark is longer and every eighth the longest, as on a
// real rule.
int TickLength(int step) {
  if (step % 4 == 0) return 4;
  if (step % 2 == 0) return 3;
  return 2;
}

void DrawVerticalRuler(Painter& p) {
  const PixelBox& r = kVerticalRuler;
  p.Fill(r, kYellow);
  p.Frame(r, kBlack);
  // Ticks grow leftwards from the inside of the right edge.
  for (int y = r.top + 3, step = 0; y < r.bottom - 1; y += 2, ++step) {
    for (int i = 0; i < TickLength(step); ++i) p.Set(r.right - 1 - i, y, kBlack);
  }
}

// The shadow darkens whatever lies beneath it: the grey ground and the yellow ruler alike.
void DrawShadow(Painter& p) {
  const PixelBox& r = kHorizontalRuler;
  for (int y = r.top + kShadowOffset; y <= r.bottom + kShadowOffset; ++y) {
    for (int x = r.left + kShadowOffset; x <= r.right + kShadowOffset && x < kIconSize; ++x) {
      if (y >= kIconSize) continue;
      const std::uint8_t under = p.At(x, y);
      if (under == kLightGrey) p.Set(x, y, kDarkGrey);
      if (under == kYellow) p.Set(x, y, kDarkYellow);
    }
  }
}

void DrawHorizontalRuler(Painter& p) {
  const PixelBox& r = kHorizontalRuler;
  p.Fill(r, kYellow);
  p.Frame(r, kBlack);
  // Ticks hang down from the inside of the upper edge.
  for (int x = r.left + 3, step = 0; x < r.right - 1; x += 2, ++step) {
    for (int i = 0; i < TickLength(step); ++i) p.Set(x, r.top + 1 + i, kBlack);
  }
}

void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

// The horizontal ruler lies across the vertical one and casts its shadow onto it and onto
// the ground.
IconPixels DrawCorvaneIcon() {
  Painter p(kLightGrey);
  DrawVerticalRuler(p);
  DrawShadow(p);
  DrawHorizontalRuler(p);
  return p.Pixels();
}

// The bytes of a .ico file holding `pixels` as its only image, laid out as a classic icon:
//   ICONDIR         reserved 0, type 1 (icon), one image
//   ICONDIRENTRY    32 x 32, 16 colours, 1 plane, 4 bits, size and offset of the image
//   image           BITMAPINFOHEADER (height doubled for the two masks), 16 RGBQUADs,
//                   the colour rows bottom-up (two pixels a byte, high nibble first), then the
//                   1-bit AND mask rows bottom-up; every row is padded to four bytes.
std::vector<std::uint8_t> EncodeIco(const IconPixels& pixels) {
  constexpr std::uint32_t kHeaderSize = 40;
  constexpr std::uint32_t kPaletteSize = 16 * 4;
  constexpr std::uint32_t kColorRowBytes = (kIconSize * 4 + 31) / 32 * 4;
  constexpr std::uint32_t kMaskRowBytes = (kIconSize + 31) / 32 * 4;
  constexpr std::uint32_t kBitsSize = (kColorRowBytes + kMaskRowBytes) * kIconSize;
  constexpr std::uint32_t kImageSize = kHeaderSize + kPaletteSize + kBitsSize;
  constexpr std::uint32_t kImageOffset = 6 + 16;

  std::vector<std::uint8_t> out;
  out.reserve(kImageOffset + kImageSize);
  PutLittleEndian(out, 0, 2);
  PutLittleEndian(out, 1, 2);
  PutLittleEndian(out, 1, 2);

  out.push_back(kIconSize);
  out.push_back(kIconSize);
  out.push_back(16);
  out.push_back(0);
  PutLittleEndian(out, 1, 2);
  PutLittleEndian(out, 4, 2);
  PutLittleEndian(out, kImageSize, 4);
  PutLittleEndian(out, kImageOffset, 4);

  PutLittleEndian(out, kHeaderSize, 4);
  PutLittleEndian(out, kIconSize, 4);
  PutLittleEndian(out, kIconSize * 2, 4);
  PutLittleEndian(out, 1, 2);
  PutLittleEndian(out, 4, 2);
  PutLittleEndian(out, 0, 4);  // BI_RGB
  PutLittleEndian(out, kBitsSize, 4);
  PutLittleEndian(out, 0, 4);
  PutLittleEndian(out, 0, 4);
  PutLittleEndian(out, 0, 4);
  PutLittleEndian(out, 0, 4);

  for (const Rgb& c : kVgaPalette) {
    out.push_back(c.blue);
    out.push_back(c.green);
    out.push_back(c.red);
    out.push_back(0);
  }

  for (int y = kIconSize - 1; y >= 0; --y) {
    for (int x = 0; x < kIconSize; x += 2) {
      out.push_back(static_cast<std::uint8_t>((pixels[y][x] & 0x0F) << 4 | (pixels[y][x + 1] & 0x0F)));
    }
  }
  // Every pixel is opaque.
  out.insert(out.end(), kMaskRowBytes * kIconSize, 0);
  return out;
}

}  // namespace corvane::icon

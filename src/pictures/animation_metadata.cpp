#include "pictures/animation_metadata.h"

#include <algorithm>
#include <limits>

namespace corvane::pictures {

namespace {

int AsInt(std::uint32_t value) {
  return static_cast<int>(std::min<std::uint32_t>(value, static_cast<std::uint32_t>(std::numeric_limits<int>::max())));
}

int NumberOr(const MetadataSource& source, MetadataItem item, int fallback) {
  const std::optional<std::uint32_t> value = source.Number(item);
  return value ? AsInt(*value) : fallback;
}

Disposal GifDisposal(int method) {
  if (method == 2) return Disposal::Background;
  if (method == 3) return Disposal::Previous;
  return Disposal::Keep;  // 0 (unspecified) and 1 (leave in place); 4 to 7 are undefined
}

bool Named(const std::vector<std::uint8_t>& bytes, const char (&name)[12]) {
  return bytes.size() == 11 && std::equal(bytes.begin(), bytes.end(), name);
}

// NETSCAPE2.0's (and ANIMEXTS1.0's) data sub-block: its size (3), the id 1, then the count in
// two bytes, low first: the repeats after the first showing, 0 for ever (as browsers read it).
int GifRepeats(const MetadataSource& file) {
  const std::vector<std::uint8_t> name = file.Bytes(MetadataItem::GifApplication);
  if (!Named(name, "NETSCAPE2.0") && !Named(name, "ANIMEXTS1.0")) return AnimationClock::kOnce;
  const std::vector<std::uint8_t> data = file.Bytes(MetadataItem::GifApplicationData);
  if (data.size() < 4 || data[0] < 3 || data[1] != 1) return AnimationClock::kOnce;
  return data[2] | data[3] << 8;
}

// WebP's loop count is the plays in all, 0 for ever; an animation without one plays for ever,
// as the format's own tools default it.
int WebpRepeats(const MetadataSource& file) {
  const std::optional<std::uint32_t> loops = file.Number(MetadataItem::WebpLoopCount);
  if (!loops || *loops == 0) return AnimationClock::kForever;
  if (*loops == 1) return AnimationClock::kOnce;
  return AsInt(*loops - 1);
}

}  // namespace

AnimationKind KindOfAnimation(bool gifContainer, int frameCount, const MetadataSource& firstFrame) {
  if (frameCount < 2) return AnimationKind::Still;
  if (gifContainer) return AnimationKind::PlacedFrames;
  if (firstFrame.Number(MetadataItem::WebpFrameDuration)) return AnimationKind::WholeFrames;
  return AnimationKind::Still;
}

AnimationFrame ReadFrame(AnimationKind kind, const MetadataSource& frame, PixelSize size) {
  if (kind == AnimationKind::PlacedFrames) {
    const int left = NumberOr(frame, MetadataItem::GifFrameLeft, 0);
    const int top = NumberOr(frame, MetadataItem::GifFrameTop, 0);
    // Hundredths of a second; a place and size past the largest int is clipped to the canvas.
    const int delay = NumberOr(frame, MetadataItem::GifFrameDelay, 0);
    return {{left, top, left + std::min(size.width, std::numeric_limits<int>::max() - left),
             top + std::min(size.height, std::numeric_limits<int>::max() - top)},
            delay > std::numeric_limits<int>::max() / 10 ? std::numeric_limits<int>::max() : delay * 10,
            GifDisposal(NumberOr(frame, MetadataItem::GifFrameDisposal, 0))};
  }
  // A whole canvas: cleared when it goes, so the next one shows alone.
  return {{0, 0, size.width, size.height}, NumberOr(frame, MetadataItem::WebpFrameDuration, 0), Disposal::Background};
}

PixelSize ReadCanvas(AnimationKind kind, const MetadataSource& file, const AnimationFrame& first) {
  // Without a logical screen, the canvas reaches as far as the first frame does.
  const PixelSize reach{first.rect.right, first.rect.bottom};
  if (kind != AnimationKind::PlacedFrames) return reach;
  return {NumberOr(file, MetadataItem::GifCanvasWidth, reach.width),
          NumberOr(file, MetadataItem::GifCanvasHeight, reach.height)};
}

int ReadRepeats(AnimationKind kind, const MetadataSource& file) {
  switch (kind) {
    case AnimationKind::PlacedFrames: return GifRepeats(file);
    case AnimationKind::WholeFrames: return WebpRepeats(file);
    case AnimationKind::Still: break;
  }
  return AnimationClock::kOnce;
}

}  // namespace corvane::pictures

#include "pictures/animation.h"

#include <algorithm>
#include <utility>

namespace corvane::pictures {

int EffectiveDelay(int fileDelayMs) { return fileDelayMs < 20 ? 100 : fileDelayMs; }

PixelRect Union(const PixelRect& a, const PixelRect& b) {
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

namespace {
PixelRect Inside(const PixelView& canvas, const PixelRect& r) {
  return r.Intersect({0, 0, canvas.width, canvas.height});
}
}  // namespace

void DrawOver(const PixelView& canvas, const PixelRect& at, const std::uint32_t* frame) {
  const PixelRect part = Inside(canvas, at);
  if (part.Empty()) return;
  const int frameWidth = at.Width();
  for (int y = part.top; y < part.bottom; ++y) {
    std::uint32_t* out = canvas.Row(y);
    const std::uint32_t* in = frame + static_cast<std::ptrdiff_t>(y - at.top) * frameWidth - at.left;
    for (int x = part.left; x < part.right; ++x) {
      const std::uint32_t s = in[x];
      const std::uint32_t alpha = s >> 24;
      if (alpha == 255) {
        out[x] = s;
      } else if (alpha != 0) {
        // Premultiplied source over: each channel is source + destination * (1 - source alpha).
        const std::uint32_t d = out[x];
        const std::uint32_t keep = 255 - alpha;
        std::uint32_t result = 0;
        for (int shift = 0; shift < 32; shift += 8) {
          const std::uint32_t channel = ((s >> shift) & 0xFF) + (((d >> shift) & 0xFF) * keep + 127) / 255;
          result |= std::min<std::uint32_t>(channel, 255) << shift;
        }
        out[x] = result;
      }
    }
  }
}

void Clear(const PixelView& canvas, const PixelRect& r) {
  const PixelRect part = Inside(canvas, r);
  if (part.Empty()) return;
  for (int y = part.top; y < part.bottom; ++y) std::fill(canvas.Row(y) + part.left, canvas.Row(y) + part.right, 0u);
}

void SaveArea(const PixelView& canvas, const PixelRect& r, std::vector<std::uint32_t>& into) {
  const PixelRect part = Inside(canvas, r);
  into.clear();
  if (part.Empty()) return;
  into.reserve(static_cast<std::size_t>(part.Width()) * static_cast<std::size_t>(part.Height()));
  for (int y = part.top; y < part.bottom; ++y)
    into.insert(into.end(), canvas.Row(y) + part.left, canvas.Row(y) + part.right);
}

void RestoreArea(const PixelView& canvas, const PixelRect& r, const std::vector<std::uint32_t>& from) {
  const PixelRect part = Inside(canvas, r);
  if (part.Empty() || from.size() != static_cast<std::size_t>(part.Width()) * static_cast<std::size_t>(part.Height()))
    return;
  auto in = from.begin();
  for (int y = part.top; y < part.bottom; ++y) {
    std::copy(in, in + part.Width(), canvas.Row(y) + part.left);
    in += part.Width();
  }
}

AnimationClock::AnimationClock(int frameCount, FrameReader read, PixelSize canvas, int repeats)
    : frameCount_(std::max(frameCount, 1)), read_(std::move(read)), canvas_(canvas), repeats_(repeats) {
  currentFrame_ = ReadClipped(0);
}

namespace {
// Reads each frame from a list held in memory.
AnimationClock::FrameReader ReaderOf(std::vector<AnimationFrame> frames) {
  return [frames = std::move(frames)](int index) { return frames[static_cast<std::size_t>(index)]; };
}
}  // namespace

AnimationClock::AnimationClock(const std::vector<AnimationFrame>& frames, PixelSize canvas, int repeats)
    : AnimationClock(static_cast<int>(frames.size()), ReaderOf(frames), canvas, repeats) {}

AnimationFrame AnimationClock::ReadClipped(int index) const {
  AnimationFrame frame = read_(index);
  frame.rect = frame.rect.Intersect({0, 0, canvas_.width, canvas_.height});
  return frame;
}

int AnimationClock::CurrentDelay() const {
  if (frameCount_ < 2) return 0;
  const bool lastFrame = current_ + 1 == FrameCount();
  const bool lastRound = repeats_ == kOnce ? true : repeats_ != kForever && round_ >= repeats_;
  if (lastFrame && lastRound) return 0;
  return EffectiveDelay(currentFrame_.delayMs);
}

AnimationClock::Step AnimationClock::Advance() {
  Step step;
  if (CurrentDelay() == 0) {
    step.frame = current_;
    return step;
  }
  const int next = current_ + 1 == FrameCount() ? 0 : current_ + 1;
  AnimationFrame coming = ReadClipped(next);  // before anything changes: a failed read leaves the clock as it was
  const AnimationFrame leaving = std::exchange(currentFrame_, std::move(coming));
  if (next == 0) {
    // A new round starts from an empty canvas, as the first frame did.
    ++round_;
    step.clearAll = true;
    step.changed = {0, 0, canvas_.width, canvas_.height};
  } else {
    if (leaving.disposal == Disposal::Background) step.clear = leaving.rect;
    if (leaving.disposal == Disposal::Previous) step.restore = leaving.rect;
    step.changed = Union(Union(step.clear, step.restore), currentFrame_.rect);
  }
  current_ = next;
  step.frame = current_;
  step.saveBeforeDrawing = currentFrame_.disposal == Disposal::Previous;
  return step;
}

}  // namespace corvane::pictures

// The timing and composition of an animated picture, apart from any decoder: which frame comes
// next, how long it stays, how the frame before it is cleared away, and the pixel work on one
// canvas of premultiplied 32-bit pixels. Memory stays bounded however long the animation: one
// canvas, plus one saved copy of the area a frame that "restores the previous" covers.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/platform.h"

namespace corvane::pictures {

// What becomes of a frame's area once its time is up.
enum class Disposal { Keep, Background, Previous };

struct AnimationFrame {
  PixelRect rect;   // where the frame lies on the canvas (clipped to it)
  int delayMs = 0;  // as the file says
  Disposal disposal = Disposal::Keep;
};

// Delays under 20 ms show for 100 ms, as web browsers do: such files were made for browsers.
int EffectiveDelay(int fileDelayMs);

// Premultiplied BGRA pixels, `stride` pixels from one row to the next.
struct PixelView {
  std::uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;
  std::uint32_t* Row(int y) const { return pixels + static_cast<std::ptrdiff_t>(y) * stride; }
};

// Draws `frame` (its rectangle's size, tightly packed) over the canvas at `at`, source over.
void DrawOver(const PixelView& canvas, const PixelRect& at, const std::uint32_t* frame);
// Makes the rectangle fully transparent.
void Clear(const PixelView& canvas, const PixelRect& r);
// Copies the rectangle out of the canvas (tightly packed), or back into it.
void SaveArea(const PixelView& canvas, const PixelRect& r, std::vector<std::uint32_t>& into);
void RestoreArea(const PixelView& canvas, const PixelRect& r, const std::vector<std::uint32_t>& from);

// The frame order: each frame for its delay, then the next; after the last, the first again
// while loops remain. `repeats` is the file's loop count: 0 plays for ever, n plays the
// animation n more times after the first (as browsers read the count), and a file without
// one plays once.
//
// A frame's place, delay and disposal are read when its turn comes, never all up front: a file
// of ten thousand frames starts as fast as one of two, and the clock holds two frames' facts
// whatever the count.
class AnimationClock {
 public:
  static constexpr int kForever = 0;
  static constexpr int kOnce = -1;

  // Reads frame `index` (0 to the count less one) as ReadFrame gives it; may throw Error.
  using FrameReader = std::function<AnimationFrame(int index)>;

  AnimationClock(int frameCount, FrameReader read, PixelSize canvas, int repeats);
  AnimationClock(const std::vector<AnimationFrame>& frames, PixelSize canvas, int repeats);

  int FrameCount() const { return frameCount_; }
  int Current() const { return current_; }
  // The frame now shown.
  const AnimationFrame& CurrentFrame() const { return currentFrame_; }
  // How long the current frame stays; 0 once the animation has shown its last frame for good.
  int CurrentDelay() const;

  // What moving on to the next frame takes.
  struct Step {
    int frame = 0;                   // the frame to draw
    bool clearAll = false;           // a new round starts on an empty canvas
    PixelRect clear;                 // the leaving frame's area to clear (Background)
    PixelRect restore;               // the leaving frame's area to restore from the saved copy
    bool saveBeforeDrawing = false;  // the new frame restores what lies under it when it goes
    PixelRect changed;               // everything on the canvas this step may change
  };
  Step Advance();

 private:
  AnimationFrame ReadClipped(int index) const;

  int frameCount_;
  FrameReader read_;
  PixelSize canvas_;
  int repeats_;
  int current_ = 0;
  int round_ = 0;
  AnimationFrame currentFrame_;
};

// The smallest rectangle holding both (an empty one counts for nothing).
PixelRect Union(const PixelRect& a, const PixelRect& b);

}  // namespace corvane::pictures

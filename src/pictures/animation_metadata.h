// How a decoder's metadata makes a file's frames into an animation, apart from any decoder:
// whether the frames animate at all, where each frame lies on the canvas, how long it stays,
// what becomes of it when its time is up, and how many times the whole plays.
//
// - GIF: each frame is a piece placed on the file's logical screen, with its own delay (in
//   hundredths of a second) and disposal; the NETSCAPE2.0 application extension gives the
//   repeats after the first showing.
// - Frames with a WebP frame duration (the ANMF metadata of WIC's WebP codec on Windows 10
//   1809 and later): the codec hands each frame as a whole canvas, already placed and blended
//   (its frame metadata holds only the duration, in milliseconds), so each frame replaces the
//   one before. The ANIM loop count says how many times the animation plays in all, 0 for ever.
// - Anything else with several frames (the pages of a TIFF, the sizes of an icon) keeps no
//   delays: it is a still picture, its first frame.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "pictures/animation.h"

namespace corvane::pictures {

// The metadata items these rules read; a decoder's reader finds each where it keeps it.
enum class MetadataItem {
  // The file's: GIF's logical screen, GIF's application extension (its 11-byte name, and its
  // data sub-blocks: size, id, then the data), and WebP's loop count.
  GifCanvasWidth,
  GifCanvasHeight,
  GifApplication,
  GifApplicationData,
  WebpLoopCount,
  // A frame's: GIF's place, delay and disposal method, and WebP's duration.
  GifFrameLeft,
  GifFrameTop,
  GifFrameDelay,
  GifFrameDisposal,
  WebpFrameDuration,
};

// The metadata of a file or of one of its frames.
class MetadataSource {
 public:
  virtual ~MetadataSource() = default;
  // The item as an unsigned number; nothing when it is missing or not a number.
  virtual std::optional<std::uint32_t> Number(MetadataItem item) const = 0;
  // The item as bytes; empty when it is missing or not bytes.
  virtual std::vector<std::uint8_t> Bytes(MetadataItem item) const = 0;
};

enum class AnimationKind {
  Still,         // the first frame only
  PlacedFrames,  // GIF: pieces on a canvas, each with its disposal
  WholeFrames,   // each frame a whole canvas that replaces the one before
};

// How a file of `frameCount` frames plays, from its container and its first frame's metadata.
AnimationKind KindOfAnimation(bool gifContainer, int frameCount, const MetadataSource& firstFrame);

// A frame of `size` pixels as the clock takes it: its place, the delay the file gives (before
// the browsers' rule for short delays) and its disposal.
AnimationFrame ReadFrame(AnimationKind kind, const MetadataSource& frame, PixelSize size);

// The canvas the frames are composed on; `first` is the first frame as ReadFrame gave it.
PixelSize ReadCanvas(AnimationKind kind, const MetadataSource& file, const AnimationFrame& first);

// The repeats after the first showing, as AnimationClock takes them (kForever, kOnce, or n).
int ReadRepeats(AnimationKind kind, const MetadataSource& file);

}  // namespace corvane::pictures

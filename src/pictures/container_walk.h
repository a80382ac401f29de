// The walk over a picture container's own lengths (PNG chunks, JPEG segments up to the first
// scan, GIF blocks and sub-blocks, WebP's RIFF chunks) that runs before any decoder sees the
// bytes: a length that claims more than the bytes hold is refused here, so no decoder sizes a
// buffer by it. Portable and bounded: the walk asks for each byte at most once, in increasing
// order, never past the size it is given, and skips what the lengths step over unread.
// Bytes after the container's end (its end chunk, end marker or trailer) are not its concern:
// viewers show such files, and so does Corvane. A GIF that ends where its trailer should be is
// whole but for that one byte.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "pictures/picture_header.h"

namespace corvane::pictures {

// Reads the bytes at `offset` into `into`; returns how many it read, fewer only where the
// data ends (or cannot be read further, which the walk takes as the same).
using ReadBytesAt = std::function<std::size_t(std::uint64_t offset, std::span<std::uint8_t> into)>;

struct ContainerWalk {
  // Whole: the lengths hold, up to the container's end. Damaged: a length claims more than
  // there is, or the bytes end inside the structure. NotWalked: a format the walk does not know.
  enum class Verdict { Whole, Damaged, NotWalked };
  Verdict verdict = Verdict::NotWalked;
  // Whole: where the container ends (bytes from here on are extra). For a JPEG, where its
  // first scan's coded data starts: the segments are walked that far.
  std::uint64_t end = 0;
  bool gifTrailerMissing = false;  // a GIF whose bytes end where its trailer should be
  std::string reason;              // Damaged: what is wrong, for the message ("a PNG chunk claims ...")
};

// Walks the container of `format` in bytes of total length `size`: `head` is what the caller
// read already from offset 0 (it is not asked for again), `read` gives the rest.
ContainerWalk WalkContainer(PictureFormat format, std::uint64_t size, std::span<const std::uint8_t> head,
                            const ReadBytesAt& read);
// The same over bytes in memory (a clipboard's).
ContainerWalk WalkContainer(PictureFormat format, std::span<const std::uint8_t> bytes);

// What the loaders learn of a picture file before any decoder sees it.
struct PictureFileCheck {
  PictureHeader header;
  ContainerWalk walk;
  // Why the file cannot be shown for its structure (damaged, cut short); empty when it can.
  // The size ceiling is the caller's to apply to header.
  std::string problem;
};

// Judges a file of `size` bytes whose first bytes (up to kHeadBytes) are `head` and last (up to
// kTailBytes) `tail`: its header, its container's lengths, and for a JPEG whose last bytes
// lack the end marker, the rest of the file from its first scan on.
PictureFileCheck CheckPictureFile(std::span<const std::uint8_t> head, std::span<const std::uint8_t> tail,
                                  std::uint64_t size, const ReadBytesAt& read);

}  // namespace corvane::pictures

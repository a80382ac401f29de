// Picture files written byte by byte, for the tests of both builds: the end-to-end tests
// (built natively) put them beside Corvane.exe, the Windows tests (cross-compiled) load them
// in-process. Header-only, with nothing but the standard library.
#pragma once

#include <cstdint>
#include <string>

namespace corvane::test_files {

// Little-endian bytes, written in order: LittleEndian().U16(1).U32(40).Bytes().
class LittleEndian {
 public:
  LittleEndian& U8(std::uint32_t value) { return Put(value, 1); }
  LittleEndian& U16(std::uint32_t value) { return Put(value, 2); }
  LittleEndian& U32(std::uint32_t value) { return Put(value, 4); }
  LittleEndian& I32(std::int32_t value) { return Put(static_cast<std::uint32_t>(value), 4); }
  LittleEndian& Append(const std::string& more) {
    bytes_ += more;
    return *this;
  }
  const std::string& Bytes() const { return bytes_; }

 private:
  LittleEndian& Put(std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) bytes_ += static_cast<char>((value >> (8 * i)) & 0xFF);
    return *this;
  }
  std::string bytes_;
};

// A 32 by 32 cursor, hot spot (5, 7): black where 8 <= x, y < 24, transparent elsewhere.
inline std::string MakeCursor() {
  LittleEndian out;
  out.U16(0).U16(2).U16(1);                          // a cursor directory of one image:
  out.U8(32).U8(32).U8(0).U8(0).U16(5).U16(7);       //   32 by 32, hot spot (5, 7),
  out.U32(40 + 8 + 32 * 4 + 32 * 4).U32(22);         //   its size and where it starts
  out.U32(40).I32(32).I32(64).U16(1).U16(1).U32(0);  // a 1-bit image over its mask, twice as tall
  out.U32(32 * 4 * 2).U32(0).U32(0).U32(2).U32(0);
  out.U32(0x000000).U32(0xFFFFFF);          // palette: black, white
  for (int y = 0; y < 32; ++y) out.U32(0);  // colours: all black
  for (int y = 0; y < 32; ++y) {            // mask, 1 where transparent: the bytes
    const bool inside = y >= 8 && y < 24;   // FF 00 00 FF draw columns 8..23
    out.U32(inside ? 0xFF0000FFu : 0xFFFFFFFFu);
  }
  return out.Bytes();
}

}  // namespace corvane::test_files

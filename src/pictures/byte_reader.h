// Reading and writing the fixed-width numbers of file formats: little- and big-endian, with
// every read bounds-checked, so that no reader of outside bytes writes its own.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::pictures {

// Bounds-checked reads over bytes it does not own; a read past the end gives 0 (callers check
// Has first where it matters).
class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : b_(bytes) {}
  explicit ByteReader(std::string_view bytes) : b_(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()) {}

  std::size_t Size() const { return b_.size(); }
  bool Has(std::size_t offset, std::size_t count) const { return offset <= b_.size() && count <= b_.size() - offset; }
  std::uint32_t U8(std::size_t at) const { return Has(at, 1) ? b_[at] : 0; }
  std::uint32_t Le16(std::size_t at) const { return U8(at) | U8(at + 1) << 8; }
  std::uint32_t Be16(std::size_t at) const { return U8(at) << 8 | U8(at + 1); }
  std::uint32_t Le24(std::size_t at) const { return Le16(at) | U8(at + 2) << 16; }
  std::uint32_t Le32(std::size_t at) const { return Le16(at) | Le16(at + 2) << 16; }
  std::uint32_t Be32(std::size_t at) const { return Be16(at) << 16 | Be16(at + 2); }
  // 16 and 32 bits in the byte order given: big-endian, or little-endian.
  std::uint32_t U16(std::size_t at, bool bigEndian) const { return bigEndian ? Be16(at) : Le16(at); }
  std::uint32_t U32(std::size_t at, bool bigEndian) const { return bigEndian ? Be32(at) : Le32(at); }
  bool Is(std::size_t at, std::string_view text) const {
    return Has(at, text.size()) && std::memcmp(b_.data() + at, text.data(), text.size()) == 0;
  }
  bool Contains(std::string_view text) const {
    return std::search(b_.begin(), b_.end(), text.begin(), text.end(),
                       [](std::uint8_t byte, char c) { return byte == static_cast<std::uint8_t>(c); }) != b_.end();
  }

 private:
  std::span<const std::uint8_t> b_;
};

// Appends `value`'s low `bytes` bytes, least significant first.
inline void AppendLittleEndian(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Writes `value`'s four bytes, least significant first, at `at` (which the caller has made room for).
inline void PutLittleEndian32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace corvane::pictures

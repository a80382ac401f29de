// The settings file's block of further pins: its round trip, what makes it untrusted, and that
// nothing it holds or loses touches the record and the first pin's look before it.
#include "app/pins_block.h"

#include <gtest/gtest.h>

#include "app/settings_file.h"
#include "program_fixture.h"

namespace corvane::testing {
namespace {

const PictureLook kLook{1'331'000, 45};

std::vector<StoredPin> SomePins(std::size_t count) {
  std::vector<StoredPin> pins;
  for (std::size_t n = 0; n < count; ++n) {
    const auto i = static_cast<std::int32_t>(n);
    pins.push_back({-300 + 15 * i,
                    1500 + 30 * i,
                    "C:\\ads\\pin " + std::to_string(n) + ".png",
                    {pictures::kScaleOne + 10'000 * i, 10 + static_cast<int>(n % 19) * 5}});
  }
  return pins;
}

// A record, its extension block and a pins block holding `pins`.
struct File {
  explicit File(const std::vector<StoredPin>& pins)
      : record(EncodeSettingsRecord(-30, 45, "C:\\ad.png")),
        look(EncodeSettingsExtension(record, kLook)),
        block(EncodePinsBlock(record + look, pins)) {}
  std::string Bytes() const { return record + look + block; }
  std::size_t BlockAt() const { return record.size() + look.size(); }
  std::string record, look, block;
};

std::string WithByte(std::string bytes, std::size_t at, char value) {
  bytes[at] = value;
  return bytes;
}

TEST(PinsBlock, RoundTripsAnyNumberOfFurtherPinsUpToTheLimit) {
  for (const std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{3}, kMostFurtherPins}) {
    SCOPED_TRACE(count);
    const File file(SomePins(count));
    EXPECT_EQ(DecodePinsBlock(file.Bytes(), file.BlockAt()), SomePins(count));
    EXPECT_EQ(DecodePinsBlock(file.Bytes() + "left over", file.BlockAt()), SomePins(count));
    // What an older program reads is untouched: the record and the first pin's look.
    EXPECT_EQ(DecodeSettingsRecord(file.Bytes()), (DecodedSettings{-30, 45, "C:\\ad.png"}));
    EXPECT_EQ(DecodeSettingsExtension(file.Bytes()), kLook);
  }
  EXPECT_THROW(EncodePinsBlock("", SomePins(kMostFurtherPins + 1)), Error);
  std::vector<StoredPin> tooLong = SomePins(1);
  tooLong[0].ansiPath.assign(kLongestStoredPath + 1, 'x');
  EXPECT_THROW(EncodePinsBlock("", tooLong), Error);
}

TEST(PinsBlock, IsTrustedOnlyWhenWholeCurrentAndInRange) {
  const File file(SomePins(3));
  const std::string bytes = file.Bytes();
  const std::size_t at = file.BlockAt();
  const std::size_t firstPin = at + kPinsPrefixSize + 2;
  // Pins block fields rebuilt with a checksum that holds, so that only the field is wrong.
  const auto resealed = [&](const std::vector<StoredPin>& pins, std::size_t at_, char value) {
    std::string block = EncodePinsBlock(file.record + file.look, pins);
    block[at_] = value;
    block.resize(block.size() - 4);
    std::string covered = file.record + file.look + block;
    const std::uint32_t crc = SettingsChecksum(covered);
    for (int i = 0; i < 4; ++i) covered += static_cast<char>((crc >> (8 * i)) & 0xFF);
    return covered;
  };
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case untrusted[] = {
      {"no block", file.record + file.look},
      {"cut short in the prefix", bytes.substr(0, at + 6)},
      {"cut short in the checksum", bytes.substr(0, bytes.size() - 1)},
      {"another signature", WithByte(bytes, at + 3, '2')},
      {"a pin's place changed", WithByte(bytes, firstPin + 1, 0x77)},
      {"a length past the file", WithByte(bytes, at + 6, 0x10)},
      {"the record rewritten since", WithByte(bytes, 0, 0x11)},
      {"the first pin's look rewritten since", WithByte(bytes, file.record.size() + 7, 0x22)},
      {"a count past the pins held", resealed(SomePins(3), kPinsPrefixSize, 4)},
      {"more pins than a file keeps", resealed(SomePins(3), kPinsPrefixSize, static_cast<char>(kMostFurtherPins + 1))},
      {"a scale below 5 %", resealed(SomePins(1), kPinsPrefixSize + 2 + 10, 0x00)},
      {"an opacity above 100 %", resealed(SomePins(1), kPinsPrefixSize + 2 + 12, 101)},
      {"a NUL in a path", resealed(SomePins(1), kPinsPrefixSize + 2 + 16 + 3, '\0')},
  };
  for (const Case& c : untrusted) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(DecodePinsBlock(c.bytes, at), std::nullopt);
    EXPECT_EQ(DecodeSettingsRecord(c.bytes).ansiPath, "C:\\ad.png") << "the record is never lost with the pins";
  }
}

// A later version may add fields after the pins; this one reads the pins it knows.
TEST(PinsBlock, ALaterVersionsLongerBlockGivesThePins) {
  const File file(SomePins(2));
  std::string block = file.block;
  block.resize(block.size() - 4);
  const std::uint32_t longer = static_cast<std::uint8_t>(block[4]) + 5u;
  block[4] = static_cast<char>(longer);
  block += "extra";
  std::string bytes = file.record + file.look + block;
  const std::uint32_t crc = SettingsChecksum(bytes);
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>((crc >> (8 * i)) & 0xFF);
  EXPECT_EQ(DecodePinsBlock(bytes, file.BlockAt()), SomePins(2));
}

class PinsFileTest : public ProgramTest {
 protected:
  std::vector<StoredPin> ReadPins() {
    std::vector<StoredPin> pins = SomePins(1);  // overwritten by the read
    ReadSettings(sys, nullptr, &pins);
    return pins;
  }
};

TEST_F(PinsFileTest, FurtherPinsAreWrittenAfterTheLookAndReadBack) {
  EnsureSettingsFile(sys);
  EXPECT_EQ(ReadPins(), std::vector<StoredPin>{}) << "a new file has none";

  WriteSettings(sys, {15, 30, "C:\\a.png"}, {}, SomePins(3));
  EXPECT_EQ(ReadPins(), SomePins(3));
  PictureLook look{1, 1};
  EXPECT_EQ(ReadSettings(sys, &look), (SettingsRecord{15, 30, "C:\\a.png"}));
  EXPECT_EQ(look, PictureLook{}) << "the first pin's default look is written for the pins block to follow";

  // Back to one pin at the same place: the block is rewritten to say so.
  WriteSettings(sys, {15, 30, "C:\\a.png"});
  EXPECT_EQ(ReadPins(), std::vector<StoredPin>{});

  // Moved, with pins again, then the pins block damaged: the first pin and its look stay.
  WriteSettings(sys, {45, 60, "C:\\b.png"}, kLook, SomePins(2));
  std::string bytes = SettingsBytes();
  const std::size_t firstPin = EncodeSettingsRecord(45, 60, "C:\\b.png").size() + 16 + kPinsPrefixSize + 2;
  bytes[firstPin] = static_cast<char>(bytes[firstPin] ^ 0x40);
  sys.PutFile(sys.appPath + "\\corvane.ini", bytes);
  EXPECT_EQ(ReadPins(), std::vector<StoredPin>{});
  EXPECT_EQ(ReadSettings(sys, &look), (SettingsRecord{45, 60, "C:\\b.png"}));
  EXPECT_EQ(look, kLook);

  // An older program rewrites the record alone over good blocks: every block after it is stale.
  WriteSettings(sys, {45, 60, "C:\\b.png"}, kLook, SomePins(2));
  ASSERT_EQ(ReadPins(), SomePins(2));
  bytes = SettingsBytes();
  sys.PutFile(sys.appPath + "\\corvane.ini", EncodeSettingsRecord(45, 75, "C:\\b.png") +
                                                 bytes.substr(EncodeSettingsRecord(45, 75, "C:\\b.png").size()));
  EXPECT_EQ(ReadPins(), std::vector<StoredPin>{});
}

}  // namespace
}  // namespace corvane::testing

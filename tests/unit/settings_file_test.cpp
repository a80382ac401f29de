// The settings record file: its bytes, the existence test, and reading and writing in place.
#include "app/settings_file.h"

#include <gtest/gtest.h>

#include "program_fixture.h"

namespace corvane::testing {
namespace {

const std::string kDefaultRecord = Bytes("5E 01 00 00 64 00 00 00 15 00") + "No select any picture";

TEST(SettingsRecord, EncodesLittleEndianTwosComplementWithALengthPrefix) {
  struct Case {
    std::int32_t left, top;
    std::string path;
    std::string bytes;
  };
  const Case cases[] = {
      {350, 100, "No select any picture", kDefaultRecord},
      {-1, -15, "", Bytes("FF FF FF FF F1 FF FF FF 00 00")},
      {INT32_MIN, INT32_MAX, "a", Bytes("00 00 00 80 FF FF FF 7F 01 00 61")},
      {0, 0, std::string(300, 'x'), Bytes("00 00 00 00 00 00 00 00 2C 01") + std::string(300, 'x')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.left);
    EXPECT_EQ(EncodeSettingsRecord(c.left, c.top, c.path), c.bytes);
    const SettingsHeader header = DecodeSettingsHeader(c.bytes).value();
    EXPECT_EQ(header.left, c.left);
    EXPECT_EQ(header.top, c.top);
    EXPECT_EQ(header.pathLength, c.path.size());
    EXPECT_EQ(DecodeSettingsRecord(c.bytes), (DecodedSettings{c.left, c.top, c.path}));
  }
}

// Whatever the bytes, the decoder reads only them: a record cut within its header keeps each
// whole number and defaults the rest, a path that is cut short or holds a NUL gives the
// position alone, leftovers are ignored.
TEST(SettingsRecord, DecodesDamagedRecordsKeepingEveryWholeNumber) {
  const std::string header = Bytes("2C 01 00 00 9C FF FF FF");  // 300, -100
  struct Case {
    const char* name;
    std::string bytes;
    DecodedSettings expected;
  };
  const Case cases[] = {
      {"empty", "", DecodedSettings{350, 100, std::nullopt}},
      {"one byte", Bytes("2C"), DecodedSettings{350, 100, std::nullopt}},
      {"three bytes", Bytes("2C 01 00"), DecodedSettings{350, 100, std::nullopt}},
      {"the left alone", Bytes("2C 01 00 00"), DecodedSettings{300, 100, std::nullopt}},
      {"the left and a part of the top", Bytes("2C 01 00 00 9C FF FF"), DecodedSettings{300, 100, std::nullopt}},
      {"the left and top", header, DecodedSettings{300, -100, std::nullopt}},
      {"nine bytes", header + Bytes("05"), DecodedSettings{300, -100, std::nullopt}},
      {"the header alone, empty path", header + Bytes("00 00"), DecodedSettings{300, -100, ""}},
      {"the header alone, a path announced", header + Bytes("05 00"), DecodedSettings{300, -100, std::nullopt}},
      {"the path one byte short", header + Bytes("05 00") + "C:\\a", DecodedSettings{300, -100, std::nullopt}},
      {"the whole path", header + Bytes("05 00") + "C:\\ab", DecodedSettings{300, -100, "C:\\ab"}},
      {"leftovers after the path", header + Bytes("05 00") + "C:\\abcdef", DecodedSettings{300, -100, "C:\\ab"}},
      {"the longest length over a short file", header + Bytes("FF FF") + "C:\\a.jpg",
       DecodedSettings{300, -100, std::nullopt}},
      {"a NUL inside the path", header + Bytes("05 00") + std::string("C:\\\0b", 5),
       DecodedSettings{300, -100, std::nullopt}},
      {"the longest length, all there", header + Bytes("FF FF") + std::string(0xFFFF, 'x'),
       DecodedSettings{300, -100, std::string(0xFFFF, 'x')}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // A copy of exactly these bytes, so that a read past them is caught by the sanitizers.
    const std::unique_ptr<char[]> exact(new char[c.bytes.size() + 1]);
    std::copy(c.bytes.begin(), c.bytes.end(), exact.get());
    const std::string_view bytes(exact.get(), c.bytes.size());
    EXPECT_EQ(DecodeSettingsRecord(bytes), c.expected);
    EXPECT_EQ(DecodeSettingsHeader(bytes).has_value(), c.bytes.size() >= 10);
  }
}

class SettingsFileTest : public ProgramTest {
 protected:
  const std::string path = "C:\\Corvane\\corvane.ini";
};

TEST_F(SettingsFileTest, AMissingFileIsCreatedWithTheDefaultRecordAndReadsBack) {
  EnsureSettingsFile(sys);
  EXPECT_EQ(SettingsBytes(), kDefaultRecord);
  EXPECT_EQ(SettingsBytes().size(), 31u);
  EXPECT_EQ(ReadSettings(sys), DefaultSettings());
}

TEST_F(SettingsFileTest, EachOperationOpensAndClosesTheFileItself) {
  EnsureSettingsFile(sys);
  ReadSettings(sys);
  WriteSettings(sys, {1, 2, "C:\\a.bmp"});
  EXPECT_EQ(sys.CountCalls("OpenFile"), 3);
  EXPECT_EQ(sys.CountCalls("CloseFile"), 3);
  EXPECT_EQ(sys.calls.back().name, "CloseFile");
}

TEST_F(SettingsFileTest, AnExistingFileIsLeftAloneWhateverItsLetterCaseOrAttributes) {
  struct Case {
    const char* storedAs;
    bool hidden;
    bool system;
  };
  const Case cases[] = {{"corvane.ini", false, false}, {"CORVANE.INI", false, false}, {"Corvane.Ini", false, false},
                        {"corvane.ini", true, false},  {"corvane.ini", false, true},  {"corvane.ini", true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.storedAs);
    sys.files.clear();
    sys.PutFile(std::string("C:\\Corvane\\") + c.storedAs, EncodeSettingsRecord(-450, 2250, "C:\\sea.jpg"));
    sys.FindFile(path)->hidden = c.hidden;
    sys.FindFile(path)->system = c.system;
    EnsureSettingsFile(sys);
    EXPECT_EQ(ReadSettings(sys), (SettingsRecord{-450, 2250, "C:\\sea.jpg"}));
  }
}

TEST_F(SettingsFileTest, AFolderOfThatNameDoesNotCountAsTheFile) {
  sys.PutFile(path, "");
  sys.FindFile(path)->directory = true;
  EXPECT_THROW(EnsureSettingsFile(sys), Error);
}

TEST_F(SettingsFileTest, AShorterPathOverALongerOneKeepsTheFileLengthAndReadsOnlyTheNewPath) {
  WriteSettings(sys, {100, 200, "C:\\a very long folder name\\picture.jpg"});
  const std::size_t longLength = SettingsBytes().size();
  WriteSettings(sys, {-30, 45, "C:\\b.gif"});
  EXPECT_EQ(SettingsBytes().size(), longLength);
  EXPECT_EQ(SettingsBytes().substr(0, 18), EncodeSettingsRecord(-30, 45, "C:\\b.gif"));
  EXPECT_EQ(ReadSettings(sys), (SettingsRecord{-30, 45, "C:\\b.gif"}));
}

TEST_F(SettingsFileTest, AFileShorterThanTheHeaderReadsItsWholeNumbersAndTheDefaultsForTheRest) {
  const std::string record = EncodeSettingsRecord(-450, 2250, "C:\\pictures\\sea.jpg");
  struct Case {
    std::size_t size;
    SettingsRecord expected;
  };
  const Case cases[] = {{0, DefaultSettings()},
                        {3, DefaultSettings()},
                        {4, {-450, 100, NoPictureMarker}},
                        {7, {-450, 100, NoPictureMarker}},
                        {8, {-450, 2250, NoPictureMarker}},
                        {9, {-450, 2250, NoPictureMarker}}};
  for (const Case& c : cases) {
    sys.PutFile(path, record.substr(0, c.size));
    EXPECT_EQ(ReadSettings(sys), c.expected) << c.size << " bytes";
    EXPECT_EQ(SettingsBytes(), record.substr(0, c.size)) << "reading leaves the file as it is";
  }
}

TEST_F(SettingsFileTest, ARecordWhosePathIsDamagedReadsAsThePositionWithNoPicture) {
  const std::string record = EncodeSettingsRecord(-450, 2250, "C:\\pictures\\sea.jpg");
  for (const std::string& bytes : {record.substr(0, 10), record.substr(0, record.size() - 1),
                                   record.substr(0, 8) + Bytes("FF FF") + record.substr(10),
                                   EncodeSettingsRecord(-450, 2250, std::string("C:\\sea.jpg\0.bmp", 15))}) {
    sys.PutFile(path, bytes);
    EXPECT_EQ(ReadSettings(sys), (SettingsRecord{-450, 2250, NoPictureMarker})) << bytes.size() << " bytes";
    EXPECT_EQ(SettingsBytes(), bytes) << "reading leaves the file as it is";
  }
}

TEST_F(SettingsFileTest, PathsTravelInTheAnsiCodePage) {
  const std::string accented = "C:\\Bilder\\\xC3\xA9t\xC3\xA9.jpg";  // "été" in UTF-8
  WriteSettings(sys, {0, 0, accented});
  EXPECT_EQ(SettingsBytes().substr(10), "C:\\Bilder\\\xE9t\xE9.jpg");  // one byte each in the code page
  EXPECT_EQ(ReadSettings(sys).PicturePath, accented);
  EXPECT_THROW(WriteSettings(sys, {0, 0, "C:\\\xE4\xB8\xAD.jpg"}), Error)
      << "a path the code page cannot hold is not mangled";
}

TEST_F(SettingsFileTest, AReadOnlyFileIsReadButNotWrittenAndAReadOnlyFolderGetsNoFile) {
  sys.PutFile(path, kDefaultRecord);
  sys.FindFile(path)->readOnly = true;
  EnsureSettingsFile(sys);  // found: nothing to write
  EXPECT_EQ(ReadSettings(sys), DefaultSettings());
  EXPECT_THROW(WriteSettings(sys, {1, 1, "x"}), Error);
  EXPECT_EQ(SettingsBytes(), kDefaultRecord);

  sys.files.clear();
  sys.folderReadOnly = true;
  EXPECT_THROW(EnsureSettingsFile(sys), Error);
  EXPECT_EQ(sys.FindFile(path), nullptr);
}

TEST_F(SettingsFileTest, TheFileSitsInTheProgramsFolderAlsoAtADriveRoot) {
  EXPECT_EQ(SettingsFilePath(sys), "C:\\Corvane\\corvane.ini");
  sys.appPath = "D:\\";
  EXPECT_EQ(SettingsFilePath(sys), "D:\\\\corvane.ini");  // the system reads the doubled separator as one
}

// --- the extension block after the path ---

const PictureLook kLook{1'331'000, 45};

std::uint32_t Crc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const char c : bytes) {
    crc ^= static_cast<unsigned char>(c);
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1u) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
  }
  return ~crc;
}

// A block of a later version: this version's fields, then `more` of its own, checksummed.
std::string LaterBlock(const std::string& record, const PictureLook& look, const std::string& more) {
  std::string block = EncodeSettingsExtension(record, look);
  block.resize(block.size() - 4);  // without its checksum
  block[4] = static_cast<char>(6 + more.size());
  block += more;
  const std::uint32_t crc = Crc32(record + block);
  for (int i = 0; i < 4; ++i) block += static_cast<char>((crc >> (8 * i)) & 0xFF);
  return block;
}

std::string WithByte(std::string bytes, std::size_t at, char value) {
  bytes[at] = value;
  return bytes;
}

// What a record followed by various blocks reads as: a trusted block gives its look, anything
// else gives 100 % and opaque, and the record itself always reads the same.
TEST(SettingsExtension, IsTrustedOnlyWhenWholeCurrentAndInRange) {
  const std::string record = EncodeSettingsRecord(-30, 45, "C:\\ad.png");
  const std::string block = EncodeSettingsExtension(record, kLook);
  const std::size_t at = record.size();  // where the block starts
  const auto reblocked = [&](const PictureLook& look) { return record + EncodeSettingsExtension(record, look); };
  struct Case {
    const char* what;
    std::string bytes;
    std::optional<PictureLook> look;
  };
  const Case cases[] = {
      {"round trip", record + block, kLook},
      {"round trip, with old leftovers after it", record + block + "left over", kLook},
      {"a later version's longer block gives the fields this one knows", record + LaterBlock(record, kLook, "more"),
       kLook},
      {"the checksum is the standard CRC-32", record + LaterBlock(record, kLook, ""), kLook},
      {"the bounds are in range", reblocked({pictures::kScaleMin, 10}), PictureLook{pictures::kScaleMin, 10}},
      {"the other bounds", reblocked({pictures::kScaleMax, 100}), PictureLook{pictures::kScaleMax, 100}},
      {"no block", record, std::nullopt},
      {"leftovers of an older record", record + "ng\\old path.jpg", std::nullopt},
      {"cut short in the signature", record + block.substr(0, 3), std::nullopt},
      {"cut short in the checksum", record + block.substr(0, block.size() - 1), std::nullopt},
      {"another signature", WithByte(record + block, at + 3, '2'), std::nullopt},
      {"a field changed", WithByte(record + block, at + 7, 0x77), std::nullopt},
      {"the checksum changed", WithByte(record + block, at + 13, 0x00), std::nullopt},
      {"a length shorter than the fields", WithByte(record + block, at + 4, 5), std::nullopt},
      {"a length past the file", WithByte(record + block, at + 4, 40), std::nullopt},
      {"a length beyond any version", WithByte(WithByte(record + block, at + 4, 0x01), at + 5, 0x04), std::nullopt},
      {"the position rewritten since", WithByte(record + block, 0, 0x11), std::nullopt},
      {"the path rewritten since, same length", WithByte(record + block, 12, 'X'), std::nullopt},
      {"scale below 5 %", reblocked({pictures::kScaleMin - 1, 50}), std::nullopt},
      {"scale above 1000 %", reblocked({pictures::kScaleMax + 1, 50}), std::nullopt},
      {"a negative scale", reblocked({-1'000'000, 50}), std::nullopt},
      {"opacity below 10 %", reblocked({pictures::kScaleOne, 9}), std::nullopt},
      {"opacity above 100 %", reblocked({pictures::kScaleOne, 101}), std::nullopt},
      {"fewer bytes than a header", record.substr(0, 7), std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(DecodeSettingsExtension(c.bytes), c.look);
  }
}

// A block left behind after an older program wrote a shorter path over the record: the old
// block sits further on, and the bytes right after the new path are the old path's tail.
TEST(SettingsExtension, ALongerOldRecordsBlockIsStaleAfterAShorterPathIsWrittenOverIt) {
  const std::string old = EncodeSettingsRecord(0, 0, "C:\\pictures\\a much longer path.png");
  std::string file = old + EncodeSettingsExtension(old, kLook);
  const std::string shorter = EncodeSettingsRecord(0, 0, "C:\\b.png");
  file.replace(0, shorter.size(), shorter);  // what an older program does
  EXPECT_EQ(DecodeSettingsExtension(file), std::nullopt);
}

class SettingsLookTest : public ProgramTest {
 protected:
  PictureLook ReadLook() {
    PictureLook look{1, 1};
    ReadSettings(sys, &look);
    return look;
  }
};

TEST_F(SettingsLookTest, TheBlockIsWrittenOnlyForALookThatIsNotTheDefault) {
  EnsureSettingsFile(sys);
  EXPECT_EQ(SettingsBytes(), kDefaultRecord) << "a new file is today's record";
  EXPECT_EQ(ReadLook(), PictureLook{});

  WriteSettings(sys, {15, 30, "C:\\a.png"}, kLook);
  const std::string record = EncodeSettingsRecord(15, 30, "C:\\a.png");
  EXPECT_EQ(SettingsBytes(), record + EncodeSettingsExtension(record, kLook));
  EXPECT_EQ(ReadLook(), kLook);
  EXPECT_EQ(ReadSettings(sys), (SettingsRecord{15, 30, "C:\\a.png"}));

  // Back to the default look at the same place: the block is rewritten to say so, or it would
  // bring the old look back.
  WriteSettings(sys, {15, 30, "C:\\a.png"});
  EXPECT_EQ(ReadLook(), PictureLook{});
  EXPECT_EQ(SettingsBytes().substr(0, record.size()), record);

  // A file an older program wrote, with no block: the default look adds nothing to it.
  PutSettings(15, 30, "C:\\a.png");
  WriteSettings(sys, {15, 30, "C:\\b.png"});
  EXPECT_EQ(SettingsBytes(), EncodeSettingsRecord(15, 30, "C:\\b.png"));
}

TEST_F(SettingsLookTest, AFileCutInsideTheBlockReadsAsTheDefaultLook) {
  const std::string record = EncodeSettingsRecord(15, 30, "C:\\a.png");
  const std::string block = EncodeSettingsExtension(record, kLook);
  for (std::size_t keep = 0; keep < block.size(); ++keep) {
    SCOPED_TRACE(keep);
    sys.PutFile(sys.appPath + "\\corvane.ini", record + block.substr(0, keep));
    EXPECT_EQ(ReadLook(), PictureLook{});
    EXPECT_EQ(ReadSettings(sys), (SettingsRecord{15, 30, "C:\\a.png"}));
  }
}

}  // namespace
}  // namespace corvane::testing

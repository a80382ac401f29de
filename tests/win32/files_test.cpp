// The settings file's operations on a real file system, the ANSI code page, and the marker
// that keeps a second instance out.
#include <gtest/gtest.h>

#include "win32_test_support.h"

namespace corvane::win32::testing {
namespace {

TEST(SettingsFileSystem, TheSearchFindsTheFileInAnyCaseAndWithAnyAttributes) {
  TempFolder temp;
  struct Case {
    const char* storedAs;
    DWORD attributes;
  };
  const Case cases[] = {{"corvane.ini", FILE_ATTRIBUTE_NORMAL},
                        {"CORVANE.INI", FILE_ATTRIBUTE_NORMAL},
                        {"corvane.ini", FILE_ATTRIBUTE_HIDDEN},
                        {"corvane.ini", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN},
                        {"corvane.ini", FILE_ATTRIBUTE_READONLY}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.storedAs) + " " + std::to_string(c.attributes));
    WriteBytes(temp / c.storedAs, "x");
    SetFileAttributesW(Widen(temp / c.storedAs).c_str(), c.attributes);
    EXPECT_EQ(StoredFileName(temp / "corvane.ini"), c.storedAs);
    SetFileAttributesW(Widen(temp / c.storedAs).c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(Widen(temp / c.storedAs).c_str());
  }
  EXPECT_EQ(StoredFileName(temp / "corvane.ini"), "");
  CreateDirectoryW(Widen(temp / "corvane.ini").c_str(), nullptr);
  EXPECT_EQ(StoredFileName(temp / "corvane.ini"), "") << "a folder is not the file";
}

TEST(SettingsFileSystem, OpeningCreatesAMissingFileAndNeverShortensOne) {
  TempFolder temp;
  const std::string path = temp / "corvane.ini";
  OpenBinaryFile(path)->Write(0, "0123456789ABCDEFGHIJ");
  OpenBinaryFile(path)->Write(0, "xyz");
  EXPECT_EQ(ReadBytes(path), "xyz3456789ABCDEFGHIJ");
  EXPECT_EQ(OpenBinaryFile(path)->Read(3, 4), "3456");
  EXPECT_THROW(OpenBinaryFile(path)->Read(18, 4), Error) << "past the end";
}

// A short read succeeds as far as the system is concerned, so its error says what came back
// and never repeats the thread's last error, which belongs to some earlier call.
TEST(SettingsFileSystem, AShortReadOrAReadPastTheEndSaysHowManyBytesCame) {
  TempFolder temp;
  const std::string path = temp / "corvane.ini";
  WriteBytes(path, "0123456789ABC");
  struct Case {
    std::uint64_t offset;
    std::size_t count;
    const char* message;
  };
  const Case cases[] = {{10, 8, "Win32: ReadFile stopped short: 3 of 8 bytes"},
                        {13, 2, "Win32: ReadFile stopped short: 0 of 2 bytes"},
                        {40, 10, "Win32: ReadFile stopped short: 0 of 10 bytes"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const auto file = OpenBinaryFile(path);
    SetLastError(ERROR_ACCESS_DENIED);  // left over from something else
    try {
      file->Read(c.offset, c.count);
      ADD_FAILURE() << "the short read succeeded";
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

TEST(SettingsFileSystem, AReadOnlyOrLockedFileFailsTheOpenWithTheSystemsReason) {
  TempFolder temp;
  const std::string path = temp / "corvane.ini";
  WriteBytes(path, "keep");
  SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_READONLY);
  try {
    OpenBinaryFile(path);
    ADD_FAILURE() << "a read-only file opened for writing";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("denied"), std::string::npos) << e.what();  // "Access (is) denied."
    EXPECT_EQ(std::string(e.what()).rfind("Win32: CreateFile failed: ", 0), 0u) << e.what();
  }
  SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_NORMAL);

  HANDLE holder = CreateFileW(Widen(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_THROW(OpenBinaryFile(path), Error);
  CloseHandle(holder);
  EXPECT_EQ(ReadBytes(path), "keep");
}

TEST(AnsiCodePage, AccentedLettersRoundTripAndOtherScriptsAreRefused) {
  ASSERT_EQ(GetACP(), 1252u) << "the tests expect the Western code page";
  const std::string accented = "C:\\Bilder\\\xC3\xA9t\xC3\xA9 \xC3\xA0 Z\xC3\xBCrich.jpg";  // été à Zürich
  const std::optional<std::string> ansi = ToAnsiCodePage(accented);
  ASSERT_TRUE(ansi.has_value());
  EXPECT_EQ(*ansi, "C:\\Bilder\\\xE9t\xE9 \xE0 Z\xFCrich.jpg");
  EXPECT_EQ(FromAnsiCodePage(*ansi), accented);
  EXPECT_FALSE(ToAnsiCodePage("C:\\\xE4\xB8\xAD\xE6\x96\x87.jpg").has_value());
  EXPECT_FALSE(ToAnsiCodePage("\xC4\x8C").has_value()) << "no best-fit stand-in: C with caron is not C";
}

TEST(InstanceMarker, TheFirstHolderIsAloneAndLaterOnesSeeIt) {
  const wchar_t* name = L"Local\\Corvane.Test.InstanceMarker";
  {
    const InstanceMarker first(name);
    EXPECT_FALSE(first.AnotherInstanceRuns());
    const InstanceMarker second(name);
    EXPECT_TRUE(second.AnotherInstanceRuns());
  }
  const InstanceMarker afterwards(name);
  EXPECT_FALSE(afterwards.AnotherInstanceRuns()) << "the mark goes with its holders";
}

}  // namespace
}  // namespace corvane::win32::testing

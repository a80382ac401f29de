// A second start's message on its way through WM_COPYDATA: UTF-8 to UTF-16 and back, what the
// receiver refuses, and full paths against the working folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/hand_over.h"
#include "platform/win32/win32_hand_over.h"
#include "platform/win32/win32_platform.h"
#include "win32_test_support.h"

namespace corvane::win32::testing {
namespace {

using namespace std::string_literals;

TEST(HandOverText, EachPartIsWidenedWithItsNulAndComesBackAsItWas) {
  struct Case {
    const char* what;
    std::string message;
    std::wstring wide;
  };
  const std::vector<Case> cases = {
      {"one path", "corvane\0open\0C:\\pics\\a.png\0"s, L"corvane\0open\0C:\\pics\\a.png\0"s},
      {"two paths", "corvane\0open\0C:\\a.png\0D:\\b.gif\0"s, L"corvane\0open\0C:\\a.png\0D:\\b.gif\0"s},
      {"accents",
       "corvane\0open\0C:\\Bilder\\gr\xC3\xBC\xC3\x9F"
       "e.png\0"s,
       L"corvane\0open\0C:\\Bilder\\gr\u00FC\u00DFe.png\0"s},
      {"another script", "corvane\0open\0C:\\\xE5\x86\x99\xE7\x9C\x9F.jpg\0"s,
       L"corvane\0open\0C:\\\u5199\u771F.jpg\0"s},
      {"past the basic plane", "corvane\0open\0C:\\\xF0\x9F\x90\xA6.png\0"s, L"corvane\0open\0C:\\\xD83D\xDC26.png\0"s},
      {"no arguments", "corvane\0open\0"s, L"corvane\0open\0"s},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::wstring wide = HandOverToWide(c.message);
    EXPECT_EQ(wide, c.wide);
    EXPECT_EQ(HandOverFromWide(wide.data(), wide.size() * sizeof(wchar_t)), c.message);
    // And the core reads what comes back.
    EXPECT_TRUE(DecodeHandOver(*HandOverFromWide(wide.data(), wide.size() * sizeof(wchar_t))).has_value());
  }
}

TEST(HandOverText, WhatIsNotWholeUtf16WithinTheLimitIsRefused) {
  const std::wstring good = L"corvane\0open\0C:\\a.png\0"s;
  struct Case {
    const char* what;
    std::wstring wide;
    std::size_t bytes;
  };
  const std::wstring loneHigh = L"corvane\0open\0C:\\\xD83D.png\0"s;
  const std::wstring loneLow = L"corvane\0open\0C:\\\xDC26.png\0"s;
  const std::wstring swapped = L"corvane\0open\0C:\\\xDC26\xD83D.png\0"s;
  const std::vector<Case> cases = {
      {"an odd byte count", good, good.size() * sizeof(wchar_t) - 1},
      {"a lone high surrogate", loneHigh, loneHigh.size() * sizeof(wchar_t)},
      {"a lone low surrogate", loneLow, loneLow.size() * sizeof(wchar_t)},
      {"surrogates the wrong way round", swapped, swapped.size() * sizeof(wchar_t)},
      {"a high surrogate at the very end", L"corvane\0open\0\xD83D"s, 14 * sizeof(wchar_t)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(HandOverFromWide(c.wide.data(), c.bytes), std::nullopt);
  }
}

TEST(HandOverText, TheLongestMessageAReaderTakesIsTheLimit) {
  std::wstring wide(kLongestHandOver, L'a');
  EXPECT_EQ(HandOverFromWide(wide.data(), wide.size() * sizeof(wchar_t)).value_or("").size(), kLongestHandOver);
  wide.push_back(L'a');
  EXPECT_EQ(HandOverFromWide(wide.data(), wide.size() * sizeof(wchar_t)), std::nullopt);
  // Narrowed, text outside ASCII grows: a message within the limit in UTF-16 but past it in
  // UTF-8 is refused too.
  const std::wstring accents(kLongestHandOver / 2 + 1, L'\u00FC');
  EXPECT_EQ(HandOverFromWide(accents.data(), accents.size() * sizeof(wchar_t)), std::nullopt);
}

// The working folder set for the test's length, then put back.
class WorkingFolder {
 public:
  explicit WorkingFolder(const std::string& path) {
    wchar_t old[MAX_PATH * 4] = {};
    GetCurrentDirectoryW(MAX_PATH * 4, old);
    old_ = old;
    EXPECT_TRUE(SetCurrentDirectoryW(Widen(path).c_str()));
  }
  ~WorkingFolder() { SetCurrentDirectoryW(old_.c_str()); }
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;

 private:
  std::wstring old_;
};

TEST(FullPath, RelativePathsTakeTheWorkingFolderAndAbsoluteOnesAreTidied) {
  const TempFolder folder;
  const WorkingFolder working(folder.Path());
  Win32Platform platform(GetModuleHandleW(nullptr), false);
  // The working folder as the system spells it (the temporary folder may be given short).
  wchar_t current[MAX_PATH * 4] = {};
  GetCurrentDirectoryW(MAX_PATH * 4, current);
  const std::string here = Narrow(current);
  const std::string parent = here.substr(0, here.find_last_of('\\'));
  const std::string drive = here.substr(0, 2);
  const std::string longName(300, 'x');
  struct Case {
    std::string path;
    std::string full;
  };
  const std::vector<Case> cases = {
      {"a.png", here + "\\a.png"},
      {".\\pics\\b.gif", here + "\\pics\\b.gif"},
      {"..\\c.jpg", parent + "\\c.jpg"},
      {"gr\xC3\xBC\xC3\x9F"
       "e.png",
       here + "\\gr\xC3\xBC\xC3\x9F"
              "e.png"},
      {"C:\\pics\\..\\d.bmp", "C:\\d.bmp"},
      {"C:/pics/e.bmp", "C:\\pics\\e.bmp"},
      {"\\f.png", drive + "\\f.png"},
      {longName + "\\g.png", here + "\\" + longName + "\\g.png"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(platform.FullPath(c.path), c.full);
  }
}

}  // namespace
}  // namespace corvane::win32::testing

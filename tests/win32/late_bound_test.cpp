// The libraries loaded on first use: a library or function that is not there is named in the
// failure, and a function that is there is found and called.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_late_bound.h"

namespace corvane::win32 {
namespace {

TEST(LateBinding, AMissingLibraryOrFunctionIsNamedInTheFailure) {
  struct Case {
    const wchar_t* library;
    const char* function;
    std::string named;  // must begin the failure's text
  };
  const Case cases[] = {
      {L"corvane-no-such-library.dll", "Anything", "Win32: LoadLibrary(corvane-no-such-library.dll) failed: "},
      {L"kernel32.dll", "CorvaneNoSuchFunction", "Win32: GetProcAddress(kernel32.dll, CorvaneNoSuchFunction) failed: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.named);
    LateLibrary library(c.library);
    try {
      library.Function(c.function);
      ADD_FAILURE() << "found";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.named, 0), 0u) << e.what();
    }
  }
}

// msimg32.dll, which nothing else in this program loads.
TEST(LateBinding, ALibraryIsLoadedWhenACallFirstNeedsItAndFreedWithItsOwner) {
  const auto loaded = [] { return GetModuleHandleW(L"msimg32.dll") != nullptr; };
  ASSERT_FALSE(loaded()) << "loaded before anything asked for it";
  {
    LateBound late;
    EXPECT_FALSE(loaded()) << "loaded with its owner, before a call needed it";
    late.AlphaBlend.Get();
    EXPECT_TRUE(loaded());
  }
  EXPECT_FALSE(loaded()) << "still loaded after its owner ended";
}

TEST(LateBinding, AFunctionIsLookedUpOnItsFirstCallAndAnswersAsTheSystemCall) {
  LateLibrary kernel(L"kernel32.dll");
  LateFunction<decltype(::GetCurrentProcessId)> processId(kernel, "GetCurrentProcessId");
  EXPECT_EQ(processId(), ::GetCurrentProcessId());
}

}  // namespace
}  // namespace corvane::win32

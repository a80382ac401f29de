// Corvane.exe's resources as Windows reads them: the version information, the application
// icon and the manifest. The program sits one folder above this test program.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/win32_internal.h"

#include <shlwapi.h>
#include <winver.h>

namespace corvane::win32 {
namespace {

// Corvane.exe lies one folder above the test program.
std::wstring ProgramPath() { return Widen(ProgramDirectory()) + L"\\..\\Corvane.exe"; }

// The whole version block of Corvane.exe.
std::vector<BYTE> ReadVersionInfo() {
  const std::wstring exe = ProgramPath();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
  if (size == 0) {
    ADD_FAILURE() << "GetFileVersionInfoSizeW(" << Narrow(exe) << "): " << ErrorText(GetLastError());
    return {};
  }
  std::vector<BYTE> block(size);
  if (!GetFileVersionInfoW(exe.c_str(), 0, size, block.data())) {
    ADD_FAILURE() << "GetFileVersionInfoW: " << ErrorText(GetLastError());
    return {};
  }
  return block;
}

// Corvane.exe mapped for its resources only; nothing in it runs.
class ProgramResources : public ::testing::Test {
 protected:
  void SetUp() override {
    module = LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << "LoadLibraryExW(" << Narrow(ProgramPath()) << "): " << ErrorText(GetLastError());
  }
  void TearDown() override {
    if (module) FreeLibrary(module);
  }

  std::string_view Resource(LPCWSTR type, LPCWSTR name) const {
    HRSRC found = FindResourceW(module, name, type);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    return data ? std::string_view(static_cast<const char*>(data), SizeofResource(module, found)) : std::string_view();
  }

  HMODULE module = nullptr;
};

TEST(ProgramVersion, FixedFileAndProductVersionAreOnePointZero) {
  std::vector<BYTE> block = ReadVersionInfo();
  ASSERT_FALSE(block.empty());
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(0, 1));
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST(ProgramVersion, TranslationIsUsEnglishUnicode) {
  std::vector<BYTE> block = ReadVersionInfo();
  ASSERT_FALSE(block.empty());
  WORD* pair = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pair), &length));
  ASSERT_EQ(length, 2 * sizeof(WORD));
  EXPECT_EQ(pair[0], 0x0409);
  EXPECT_EQ(pair[1], 1200);
}

TEST(ProgramVersion, StringsNameTheProductAndItsMaker) {
  std::vector<BYTE> block = ReadVersionInfo();
  ASSERT_FALSE(block.empty());
  auto value = [&](const wchar_t* name) -> std::string {
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    wchar_t* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) || !text)
      return "<missing>";
    return Narrow(std::wstring(text));
  };
  const struct {
    const wchar_t* name;
    const char* expected;
  } cases[] = {
      {L"FileVersion", "1.00"},     {L"ProductVersion", "1.00"},          {L"ProductName", "corvane"},
      {L"InternalName", "Corvane"}, {L"OriginalFilename", "Corvane.exe"}, {L"CompanyName", "Corvane Software"},
  };
  for (const auto& c : cases) EXPECT_EQ(value(c.name), c.expected) << Narrow(c.name);

  EXPECT_NE(value(L"FileDescription").find("Corvane"), std::string::npos) << value(L"FileDescription");
  EXPECT_NE(value(L"LegalCopyright").find("Corvane Software"), std::string::npos) << value(L"LegalCopyright");
}

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width;
  BYTE height;
  BYTE colorCount;
  BYTE reserved;
  WORD planes;
  WORD bitCount;
  DWORD bytesInRes;
  WORD id;
};
#pragma pack(pop)

TEST_F(ProgramResources, IconGroupOneHoldsOne32By32SixteenColourImage) {
  const std::string_view group = Resource(RT_GROUP_ICON, MAKEINTRESOURCEW(1));
  ASSERT_EQ(group.size(), 6 + sizeof(GroupIconEntry)) << "RT_GROUP_ICON 1";
  WORD header[3];
  std::memcpy(header, group.data(), sizeof header);
  EXPECT_EQ(header[0], 0);
  EXPECT_EQ(header[1], 1);  // icons
  ASSERT_EQ(header[2], 1);  // one image
  GroupIconEntry entry;
  std::memcpy(&entry, group.data() + 6, sizeof entry);
  EXPECT_EQ(entry.width, 32);
  EXPECT_EQ(entry.height, 32);
  EXPECT_EQ(entry.colorCount, 16);
  EXPECT_EQ(entry.bitCount, 4);

  // The image it names: a device-independent bitmap twice as high as the icon (colours, then
  // the mask), four bits per pixel.
  const std::string_view image = Resource(RT_ICON, MAKEINTRESOURCEW(entry.id));
  ASSERT_EQ(image.size(), entry.bytesInRes);
  ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
  BITMAPINFOHEADER info;
  std::memcpy(&info, image.data(), sizeof info);
  EXPECT_EQ(info.biWidth, 32);
  EXPECT_EQ(info.biHeight, 64);
  EXPECT_EQ(info.biBitCount, 4);
}

// The icon as the program loads it for its window class: 32 by 32, fully opaque, and drawn in
// the yellow, black and two greys of the rulers on their ground.
TEST_F(ProgramResources, LoadImageGivesThe32By32RulerIcon) {
  HICON icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON, 32, 32, 0));
  ASSERT_NE(icon, nullptr) << "LoadImageW: " << ErrorText(GetLastError());
  ICONINFO parts{};
  ASSERT_TRUE(GetIconInfo(icon, &parts));
  BITMAP color{};
  ASSERT_NE(parts.hbmColor, nullptr);
  ASSERT_TRUE(GetObjectW(parts.hbmColor, sizeof color, &color));
  EXPECT_EQ(color.bmWidth, 32);
  EXPECT_EQ(color.bmHeight, 32);
  DeleteObject(parts.hbmColor);
  DeleteObject(parts.hbmMask);

  // Draw it over magenta: any transparent pixel would let the magenta through.
  BITMAPINFO bmi{};
  bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), 32, -32, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP target = CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(target, nullptr);
  HGDIOBJ old = SelectObject(dc, target);
  auto* pixels = static_cast<DWORD*>(bits);
  for (int i = 0; i < 32 * 32; ++i) pixels[i] = 0xFF00FF;
  EXPECT_TRUE(DrawIconEx(dc, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL));
  GdiFlush();
  std::set<DWORD> colors;
  for (int i = 0; i < 32 * 32; ++i) colors.insert(pixels[i] & 0xFFFFFF);
  SelectObject(dc, old);
  DeleteObject(target);
  DeleteDC(dc);
  DestroyIcon(icon);

  EXPECT_EQ(colors.count(0xFF00FF), 0u) << "a transparent pixel";
  for (DWORD expected : {0xFFFF00u, 0x000000u, 0xC0C0C0u, 0x808080u})
    EXPECT_EQ(colors.count(expected), 1u) << std::hex << "no pixel of colour 0x" << expected;
}

TEST_F(ProgramResources, ManifestAsksForPerMonitorDpiAwarenessAndCommonControlsSix) {
  const std::string_view manifest = Resource(RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID);
  ASSERT_FALSE(manifest.empty()) << "RT_MANIFEST 1";
  const std::string text(manifest);
  EXPECT_NE(text.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
  EXPECT_NE(text.find(">true/pm</dpiAware>"), std::string::npos) << "systems before Windows 10 1607 read dpiAware";
  EXPECT_NE(text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
  EXPECT_NE(text.find("level=\"asInvoker\""), std::string::npos);
}

// The loader accepts the manifest: an activation context made from it says the process is DPI
// aware, per monitor (version 2) where the system knows it, and inside it comctl32.dll comes
// from the side-by-side Common Controls 6 assembly.
TEST(ProgramManifest, ActivationContextIsDpiAwareAndUsesCommonControlsSix) {
  const std::wstring exe = ProgramPath();
  ACTCTXW request{};
  request.cbSize = sizeof request;
  request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  request.lpSource = exe.c_str();
  request.lpResourceName = CREATEPROCESS_MANIFEST_RESOURCE_ID;
  HANDLE context = CreateActCtxW(&request);
  ASSERT_NE(context, INVALID_HANDLE_VALUE) << "CreateActCtxW: " << ErrorText(GetLastError());

  wchar_t setting[32] = {};
  SIZE_T written = 0;
  EXPECT_TRUE(QueryActCtxSettingsW(0, context, nullptr, L"dpiAware", setting, std::size(setting), &written))
      << "QueryActCtxSettingsW: " << ErrorText(GetLastError());
  EXPECT_EQ(Narrow(setting), "true/pm");
  EXPECT_TRUE(QueryActCtxSettingsW(0, context, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings",
                                   L"dpiAwareness", setting, std::size(setting), &written))
      << "QueryActCtxSettingsW: " << ErrorText(GetLastError());
  EXPECT_EQ(Narrow(setting), "PerMonitorV2, PerMonitor");

  // Which assembly the context sends comctl32.dll to. Asked of the context itself rather than by
  // loading the library: this test program already has the system's comctl32.dll loaded (the
  // open-file dialog's library imports it), and a loaded module answers for its base name.
  ACTCTX_SECTION_KEYED_DATA redirection{};
  redirection.cbSize = sizeof redirection;
  ULONG_PTR cookie = 0;
  ASSERT_TRUE(ActivateActCtx(context, &cookie)) << "ActivateActCtx: " << ErrorText(GetLastError());
  const BOOL found = FindActCtxSectionStringW(FIND_ACTCTX_SECTION_KEY_RETURN_HACTCTX, nullptr,
                                              ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll",
                                              &redirection);
  const DWORD findError = GetLastError();
  DeactivateActCtx(0, cookie);
  ASSERT_TRUE(found) << "FindActCtxSectionStringW(comctl32.dll): " << ErrorText(findError);

  std::vector<char> buffer(4096);
  SIZE_T needed = 0;
  DWORD index = redirection.ulAssemblyRosterIndex;
  const BOOL queried = QueryActCtxW(0, redirection.hActCtx, &index, AssemblyDetailedInformationInActivationContext,
                                    buffer.data(), buffer.size(), &needed);
  const DWORD queryError = GetLastError();
  if (redirection.hActCtx) ReleaseActCtx(redirection.hActCtx);
  ReleaseActCtx(context);
  ASSERT_TRUE(queried) << "QueryActCtxW: " << ErrorText(queryError);
  const auto* assembly = reinterpret_cast<const ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(buffer.data());
  std::string identity = assembly->lpAssemblyDirectoryName ? Narrow(assembly->lpAssemblyDirectoryName) : "";
  if (assembly->lpAssemblyManifestPath) identity += " " + Narrow(assembly->lpAssemblyManifestPath);
  for (char& c : identity) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_NE(identity.find("microsoft.windows.common-controls_6595b64144ccf1df_6.0."), std::string::npos) << identity;
}

}  // namespace
}  // namespace corvane::win32

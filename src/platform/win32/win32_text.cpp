// Text conversions, error texts and the font cache of the Win32 backend.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <tuple>
#include <vector>

#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_scoped.h"

namespace corvane::win32 {

std::wstring Widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

std::string Narrow(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n, nullptr, nullptr);
  return utf8;
}

std::string ErrorText(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD n =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const ScopedLocalMemory owned(buffer);
  std::wstring text = n ? std::wstring(buffer, n) : L"error " + std::to_wstring(code);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  return Narrow(text);
}

Error CallFailed(const char* call) { return CallFailed(call, GetLastError()); }

Error CallFailed(const char* call, DWORD code) {
  return Error(std::string("Win32: ") + call + " failed: " + ErrorText(code));
}

Error CallFailedOn(std::string_view call, std::string_view object) {
  return CallFailedOn(call, object, GetLastError());
}

Error CallFailedOn(std::string_view call, std::string_view object, DWORD code) {
  return CallFailed((std::string(call) + "(" + std::string(object) + ")").c_str(), code);
}

Error StoppedShort(std::string_view call, DWORD done, std::size_t asked) {
  return Error("Win32: " + std::string(call) + " stopped short: " + std::to_string(done) + " of " +
               std::to_string(asked) + " bytes");
}

std::optional<std::string> ToAnsiCodePage(std::string_view utf8) {
  const std::wstring wide = Widen(utf8);
  if (wide.empty()) return std::string();
  BOOL usedDefault = FALSE;
  const bool utf8CodePage = GetACP() == CP_UTF8;  // that code page takes no default character
  const DWORD flags = utf8CodePage ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL* defaultFlag = utf8CodePage ? nullptr : &usedDefault;
  const int n =
      WideCharToMultiByte(CP_ACP, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, defaultFlag);
  std::string bytes(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, flags, wide.data(), static_cast<int>(wide.size()), bytes.data(), n, nullptr, defaultFlag);
  if (n == 0 || usedDefault) return std::nullopt;
  return bytes;
}

std::string FromAnsiCodePage(std::string_view bytes) {
  if (bytes.empty()) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
  return Narrow(wide);
}

InstanceMarker::InstanceMarker(const wchar_t* name) : handle_(CreateMutexW(nullptr, FALSE, name)) {
  const DWORD error = GetLastError();
  // A name held by another user's process in this session cannot even be opened.
  another_ = handle_ ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
}

namespace {

HFONT MakeFont(const wchar_t* face, int emHeight, const FontSpec& font, BYTE precision) {
  return CreateFontW(-emHeight, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, font.underline ? TRUE : FALSE, FALSE,
                     ANSI_CHARSET, precision, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
}

// The character heights a bitmap face is drawn at as designed: one for each of its sizes.
std::vector<int> BitmapEmHeights(const std::wstring& face) {
  LOGFONTW wanted{};
  wanted.lfCharSet = ANSI_CHARSET;
  face.copy(wanted.lfFaceName, LF_FACESIZE - 1);
  std::vector<int> heights;
  const auto add = [](const LOGFONTW*, const TEXTMETRICW* tm, DWORD type, LPARAM data) -> int {
    if (type & RASTER_FONTTYPE)
      reinterpret_cast<std::vector<int>*>(data)->push_back(tm->tmHeight - tm->tmInternalLeading);
    return 1;
  };
  const ScopedMemoryDC dc = CompatibleMemoryDC(nullptr);
  EnumFontFamiliesExW(dc.Get(), &wanted, add, reinterpret_cast<LPARAM>(&heights), 0);
  return heights;
}

// True when `facts` are those of text drawn as asked: characters `em` pixels high, and from a
// bitmap face only at one of its own sizes. The system stretches a bitmap face to any other
// size it is asked for, blocky, and some systems then space its unstretched letters by the
// stretched widths, so that the text drawn no longer matches the text measured.
bool DrawnAsAsked(const FontFacts& facts, int em) {
  if (std::abs(facts.emHeight - em) > 1) return false;
  if (!facts.bitmap) return true;
  const std::vector<int> own = BitmapEmHeights(facts.face);
  return std::any_of(own.begin(), own.end(), [em](int height) { return std::abs(height - em) <= 1; });
}

}  // namespace

std::string FontName(const FontSpec& font) {
  char points[32];
  std::snprintf(points, sizeof points, "%g", static_cast<double>(font.points));
  return std::string(kFontFace) + " " + points + " pt" + (font.bold ? " bold" : "") +
         (font.underline ? " underlined" : "");
}

FontFacts InspectFont(HFONT font) {
  const ScopedMemoryDC dc = CompatibleMemoryDC(nullptr);
  const ScopedSelect selected(dc.Get(), font);
  if (!selected) throw CallFailed("SelectObject");
  TEXTMETRICW tm{};
  if (!GetTextMetricsW(dc.Get(), &tm)) throw CallFailed("GetTextMetrics");
  wchar_t face[LF_FACESIZE] = {};
  if (!GetTextFaceW(dc.Get(), LF_FACESIZE, face)) throw CallFailed("GetTextFace");
  // TMPF_VECTOR is set for every outline face (TrueType included) and clear for a bitmap one.
  return {face, tm.tmHeight - tm.tmInternalLeading, (tm.tmPitchAndFamily & TMPF_VECTOR) == 0};
}

HFONT FontCache::Get(const FontSpec& font) {
  const int dpi = font.dpi > 0 ? font.dpi : dpi_;
  const auto key = std::make_tuple(font.points, font.bold, font.underline, dpi);
  const auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second.Get();
  const int em = static_cast<int>(std::lround(static_cast<double>(font.points) * dpi / 72.0));
  ScopedFont handle(MakeFont(Widen(kFontFace).c_str(), em, font, OUT_DEFAULT_PRECIS));
  if (!handle) throw CallFailedOn("CreateFont", FontName(font));
  // "MS Sans Serif" is a bitmap face with a few sizes. Where none comes near the size asked
  // for (large text, a scaled screen), an outline face of the same kind takes its place, so
  // the text grows with the screen, stays sharp and is drawn as it was measured.
  if (!DrawnAsAsked(InspectFont(handle.Get()), em)) {
    for (const wchar_t* face : {L"Microsoft Sans Serif", L"Tahoma", L"Arial"}) {
      ScopedFont scalable(MakeFont(face, em, font, OUT_TT_ONLY_PRECIS));
      if (!scalable) continue;
      const FontFacts got = InspectFont(scalable.Get());
      if (got.face == face && !got.bitmap && std::abs(got.emHeight - em) <= 1) {
        handle = std::move(scalable);
        break;
      }
    }
  }
  return fonts_.emplace(key, std::move(handle)).first->second.Get();
}

}  // namespace corvane::win32

// clipboard_dib.exe: puts a bitmap on the clipboard the way Windows programs copy pictures, for
// the end-to-end tests of pasting, then keeps the clipboard until it is ended.
//
//   clipboard_dib.exe <width> <height> <c1> <c2> <c3> <c4> [alpha|claim]
//   clipboard_dib.exe has <format>
//
// The bitmap has four quadrants of the colours c1..c4 (RRGGBB, top-left, top-right, bottom-left,
// bottom-right). Without "alpha" it is a 24-bit bottom-up CF_DIB. With "alpha" it is a CF_DIBV5
// of 32-bit pixels with an alpha mask, whose right half is half transparent (alpha 128, the
// colour not premultiplied). With "claim" it is a CF_DIB whose header claims that size while
// only 64 bytes of pixels follow. Prints "ready" once the clipboard holds it.
//
// "has" ends with 0 when the clipboard offers the format now ("PNG", "CF_HDROP", any
// registered name), 1 when not: Wine takes an X program's copy onto the clipboard a moment
// after the X selection changes, and a test waits for that.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <vector>

namespace {

DWORD Colour(const wchar_t* hex) { return static_cast<DWORD>(std::wcstoul(hex, nullptr, 16)); }

// A header claiming the size, and far fewer pixels than it promises.
std::vector<BYTE> MakeClaim(int width, int height) {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  std::vector<BYTE> dib(sizeof header + 64, 0x7F);
  std::memcpy(dib.data(), &header, sizeof header);
  return dib;
}

std::vector<BYTE> MakeDib(int width, int height, const DWORD (&colours)[4], bool alpha) {
  const int bytesPerPixel = alpha ? 4 : 3;
  const int stride = (width * bytesPerPixel + 3) / 4 * 4;
  const DWORD headerSize = alpha ? sizeof(BITMAPV5HEADER) : sizeof(BITMAPINFOHEADER);
  std::vector<BYTE> dib(headerSize + static_cast<std::size_t>(stride) * static_cast<std::size_t>(height), 0);
  BITMAPV5HEADER header{};
  header.bV5Size = headerSize;
  header.bV5Width = width;
  header.bV5Height = height;  // bottom-up
  header.bV5Planes = 1;
  header.bV5BitCount = static_cast<WORD>(bytesPerPixel * 8);
  header.bV5Compression = alpha ? BI_BITFIELDS : BI_RGB;
  header.bV5SizeImage = static_cast<DWORD>(dib.size() - headerSize);
  if (alpha) {
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    header.bV5CSType = 0x73524742;  // LCS_sRGB, "sRGB"
    header.bV5Intent = LCS_GM_IMAGES;
  }
  std::memcpy(dib.data(), &header, headerSize);
  for (int y = 0; y < height; ++y) {
    BYTE* row = dib.data() + headerSize + static_cast<std::size_t>(height - 1 - y) * static_cast<std::size_t>(stride);
    for (int x = 0; x < width; ++x) {
      const bool right = x >= width / 2;
      const DWORD c = colours[(y < height / 2 ? 0 : 2) + (right ? 1 : 0)];
      BYTE* p = row + x * bytesPerPixel;
      p[0] = static_cast<BYTE>(c & 0xFF);
      p[1] = static_cast<BYTE>((c >> 8) & 0xFF);
      p[2] = static_cast<BYTE>((c >> 16) & 0xFF);
      if (alpha) p[3] = right ? 128 : 255;
    }
  }
  return dib;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wcscmp(argv[1], L"has") == 0) {
    const UINT format = std::wcscmp(argv[2], L"CF_HDROP") == 0 ? CF_HDROP : RegisterClipboardFormatW(argv[2]);
    return IsClipboardFormatAvailable(format) ? 0 : 1;
  }
  if (argc < 7) {
    std::fprintf(stderr, "usage: clipboard_dib.exe width height c1 c2 c3 c4 [alpha]\n");
    return 2;
  }
  const int width = std::wcstol(argv[1], nullptr, 10);
  const int height = std::wcstol(argv[2], nullptr, 10);
  const DWORD colours[4] = {Colour(argv[3]), Colour(argv[4]), Colour(argv[5]), Colour(argv[6])};
  const bool alpha = argc > 7 && std::wcscmp(argv[7], L"alpha") == 0;
  const bool claim = argc > 7 && std::wcscmp(argv[7], L"claim") == 0;
  const std::vector<BYTE> dib = claim ? MakeClaim(width, height) : MakeDib(width, height, colours, alpha);

  // A clipboard owner must be a window: with none, SetClipboardData fails.
  const HWND owner =
      CreateWindowExW(0, L"STATIC", L"clipboard_dib", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  if (!owner || !OpenClipboard(owner)) {
    std::fprintf(stderr, "cannot open the clipboard: %lu\n", GetLastError());
    return 1;
  }
  EmptyClipboard();
  const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, dib.size());
  if (!memory) return 1;
  std::memcpy(GlobalLock(memory), dib.data(), dib.size());
  GlobalUnlock(memory);
  if (!SetClipboardData(alpha ? CF_DIBV5 : CF_DIB, memory)) {
    std::fprintf(stderr, "SetClipboardData failed: %lu\n", GetLastError());
    return 1;
  }
  CloseClipboard();
  std::printf("ready\n");
  std::fflush(stdout);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}

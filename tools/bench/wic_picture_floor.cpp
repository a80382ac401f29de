// wic_picture_floor.exe: the least a Windows program does to show a picture file, the floor the
// picture benchmark holds Corvane.exe against.
//
//   wic_picture_floor.exe PICTURE LEFT TOP [32]   LEFT, TOP: the window's place in screen pixels
//
// The file is decoded by the Windows Imaging Component straight into a DIB section in the
// decoder's own pixel format when GDI draws that format as it is (24 or 32 bits BGR; anything
// else, or everything when 32 is given, is converted to 32 bits BGR), the decoder goes, and a
// top-most popup of the picture's size copies only its invalid part from the DIB section. One
// picture pixel is one screen pixel.
#include <windows.h>

#include <wincodec.h>

#include <cwchar>

namespace {

struct Picture {
  HBITMAP bitmap = nullptr;
  HDC dc = nullptr;  // a memory DC with the bitmap selected, kept for painting
  int width = 0;
  int height = 0;
};

Picture picture;

template <typename T>
void Release(T*& object) {
  if (object) object->Release();
  object = nullptr;
}

[[noreturn]] void Fail(const wchar_t* call, HRESULT hr) {
  wchar_t text[160];
  wsprintfW(text, L"%s failed: 0x%08lX", call, static_cast<unsigned long>(hr));
  MessageBoxW(nullptr, text, L"wic_picture_floor", MB_OK | MB_ICONERROR);
  ExitProcess(1);
}

void Check(HRESULT hr, const wchar_t* call) {
  if (FAILED(hr)) Fail(call, hr);
}

// Decodes the file's first frame into a new DIB section; every decoder object is gone after.
Picture Decode(const wchar_t* path, bool always32) {
  IWICImagingFactory* factory = nullptr;
  Check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                         reinterpret_cast<void**>(&factory)),
        L"CoCreateInstance(WICImagingFactory)");
  IWICBitmapDecoder* decoder = nullptr;
  Check(factory->CreateDecoderFromFilename(path, nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand, &decoder),
        L"CreateDecoderFromFilename");
  IWICBitmapFrameDecode* frame = nullptr;
  Check(decoder->GetFrame(0, &frame), L"GetFrame");
  UINT width = 0;
  UINT height = 0;
  Check(frame->GetSize(&width, &height), L"GetSize");
  WICPixelFormatGUID format{};
  Check(frame->GetPixelFormat(&format), L"GetPixelFormat");

  IWICBitmapSource* source = frame;
  source->AddRef();
  WORD bits = 32;
  if (IsEqualGUID(format, GUID_WICPixelFormat24bppBGR) && !always32) {
    bits = 24;
  } else if (!IsEqualGUID(format, GUID_WICPixelFormat32bppBGR)) {
    Release(source);
    Check(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGR, frame, &source), L"WICConvertBitmapSource");
  }

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = static_cast<LONG>(width);
  info.bmiHeader.biHeight = -static_cast<LONG>(height);  // top-down, as WIC hands the rows over
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = bits;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  Picture result;
  result.bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  if (!result.bitmap) Fail(L"CreateDIBSection", HRESULT_FROM_WIN32(GetLastError()));
  const UINT stride = (width * bits + 31) / 32 * 4;
  Check(source->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(pixels)), L"CopyPixels");
  Release(source);
  Release(frame);
  Release(decoder);
  Release(factory);
  result.width = static_cast<int>(width);
  result.height = static_cast<int>(height);
  result.dc = CreateCompatibleDC(nullptr);
  SelectObject(result.dc, result.bitmap);
  return result;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      const RECT& r = paint.rcPaint;
      BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, picture.dc, r.left, r.top, SRCCOPY);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  if (__argc != 4 && !(__argc == 5 && std::wcscmp(__wargv[4], L"32") == 0)) {
    MessageBoxW(nullptr, L"usage: wic_picture_floor.exe PICTURE LEFT TOP [32]", L"wic_picture_floor", MB_OK);
    return 2;
  }
  SetProcessDPIAware();
  Check(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), L"CoInitializeEx");
  picture = Decode(__wargv[1], __argc == 5);

  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = L"WicPictureFloor";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(WS_EX_TOPMOST, windowClass.lpszClassName, L"wic_picture_floor", WS_POPUP,
                                _wtoi(__wargv[2]), _wtoi(__wargv[3]), picture.width, picture.height, nullptr, nullptr,
                                instance, nullptr);
  if (!window) Fail(L"CreateWindowExW", HRESULT_FROM_WIN32(GetLastError()));
  ShowWindow(window, SW_SHOWNORMAL);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  DeleteDC(picture.dc);
  DeleteObject(picture.bitmap);
  CoUninitialize();
  return 0;
}

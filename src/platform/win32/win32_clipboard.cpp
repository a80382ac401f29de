// Dropped files and the clipboard's picture. A copied file (CF_HDROP) is named as it is; a
// picture (the registered "PNG" or "image/png" format, else CF_DIBV5, else CF_DIB) is checked
// against the picture ceiling from its header, decoded by WIC into 32-bit pixels with their
// transparency, and written by WIC's PNG encoder.
#include <wincodec.h>

#include <algorithm>
#include <span>

#include "pictures/clipboard_bitmap.h"
#include "pictures/picture_header.h"
#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_late_bound.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_scoped.h"

namespace corvane::win32 {

namespace {

// How long a paste waits for another program that has the clipboard open.
constexpr int kOpenAttempts = 20;
constexpr DWORD kOpenRetryMs = 10;

void Check(HRESULT hr, const char* call) {
  if (FAILED(hr)) throw Error(std::string("WIC: ") + call + " failed: " + ErrorText(static_cast<DWORD>(hr)));
}

ComPtr<IWICImagingFactory> MakeFactory() {
  RequireOle();
  ComPtr<IWICImagingFactory> factory;
  Check(late::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                         factory.PutVoid()),
        "CoCreateInstance(WICImagingFactory)");
  return factory;
}

ComPtr<IWICBitmapSource> Converted(IWICImagingFactory* factory, IWICBitmapSource* source, REFWICPixelFormatGUID format) {
  ComPtr<IWICFormatConverter> converter;
  Check(factory->CreateFormatConverter(converter.Put()), "CreateFormatConverter");
  Check(converter->Initialize(source, format, WICBitmapDitherTypeNone, nullptr, 0.0, WICBitmapPaletteTypeCustom),
        "IWICFormatConverter::Initialize");
  return converter.As<IWICBitmapSource>(IID_IWICBitmapSource);
}

// Writes `bytes` as a new file; an existing file is never replaced, and a file left half
// written is removed.
void WriteNewFile(const std::string& path, std::span<const BYTE> bytes) {
  const std::wstring name = Widen(path);
  ScopedKernelHandle file(
      FileOrNull(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)));
  if (!file) throw CallFailed("CreateFile");
  DWORD written = 0;
  const BOOL wrote = WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  if (!wrote || written != bytes.size()) {
    const DWORD error = wrote ? static_cast<DWORD>(ERROR_HANDLE_DISK_FULL) : GetLastError();
    file.Reset();
    DeleteFileW(name.c_str());
    throw CallFailed("WriteFile", error);
  }
}

// A picture held as 32-bit BGRA pixels of its own, the clipboard closed.
class WicClipboardImage : public ClipboardImage {
 public:
  WicClipboardImage(ComPtr<IWICImagingFactory> factory, ComPtr<IWICBitmap> bitmap, PixelSize size, bool transparent)
      : factory_(std::move(factory)), bitmap_(std::move(bitmap)), size_(size), transparent_(transparent) {}

  void SavePng(const std::string& path) const override {
    ComPtr<IStream> stream;
    Check(late::CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()), "CreateStreamOnHGlobal");
    ComPtr<IWICBitmapEncoder> encoder;
    Check(factory_->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Put()), "CreateEncoder(PNG)");
    Check(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache), "IWICBitmapEncoder::Initialize");
    ComPtr<IWICBitmapFrameEncode> frame;
    Check(encoder->CreateNewFrame(frame.Put(), nullptr), "IWICBitmapEncoder::CreateNewFrame");
    Check(frame->Initialize(nullptr), "IWICBitmapFrameEncode::Initialize");
    Check(frame->SetSize(static_cast<UINT>(size_.width), static_cast<UINT>(size_.height)),
          "IWICBitmapFrameEncode::SetSize");
    // An opaque picture is kept without an alpha channel; the encoder may answer with the
    // format it takes instead, and gets the pixels converted to that.
    WICPixelFormatGUID format = transparent_ ? GUID_WICPixelFormat32bppBGRA : GUID_WICPixelFormat24bppBGR;
    Check(frame->SetPixelFormat(&format), "IWICBitmapFrameEncode::SetPixelFormat");
    ComPtr<IWICBitmapSource> source = bitmap_.As<IWICBitmapSource>(IID_IWICBitmapSource);
    if (format != GUID_WICPixelFormat32bppBGRA) source = Converted(factory_.Get(), source.Get(), format);
    Check(frame->WriteSource(source.Get(), nullptr), "IWICBitmapFrameEncode::WriteSource");
    Check(frame->Commit(), "IWICBitmapFrameEncode::Commit");
    Check(encoder->Commit(), "IWICBitmapEncoder::Commit");

    HGLOBAL memory = nullptr;
    Check(late::GetHGlobalFromStream(stream.Get(), &memory), "GetHGlobalFromStream");
    STATSTG stat{};
    Check(stream->Stat(&stat, STATFLAG_NONAME), "IStream::Stat");
    const ScopedGlobalLock encoded(memory);
    if (!encoded.Bytes()) throw CallFailed("GlobalLock");
    const auto length = static_cast<std::size_t>(std::min<ULONGLONG>(stat.cbSize.QuadPart, encoded.Size()));
    WriteNewFile(path, {encoded.Bytes(), length});
  }

 private:
  ComPtr<IWICImagingFactory> factory_;
  ComPtr<IWICBitmap> bitmap_;
  PixelSize size_;
  bool transparent_;
};

// Whether any pixel is less than opaque. All pixels fully transparent count as opaque: a
// program that leaves the fourth byte at zero means no transparency at all.
bool HasTransparency(IWICBitmap* bitmap, PixelSize size) {
  const WICRect all{0, 0, size.width, size.height};
  ComPtr<IWICBitmapLock> lock;
  Check(bitmap->Lock(&all, WICBitmapLockRead, lock.Put()), "IWICBitmap::Lock");
  UINT stride = 0;
  UINT length = 0;
  BYTE* pixels = nullptr;
  Check(lock->GetStride(&stride), "IWICBitmapLock::GetStride");
  Check(lock->GetDataPointer(&length, &pixels), "IWICBitmapLock::GetDataPointer");
  bool someClear = false;
  bool someSolid = false;
  for (int y = 0; y < size.height; ++y) {
    const BYTE* row = pixels + static_cast<std::size_t>(y) * stride;
    for (int x = 0; x < size.width; ++x) {
      const BYTE alpha = row[x * 4 + 3];
      if (alpha == 255) someSolid = true;
      else someClear = true;
      if (alpha != 0 && alpha != 255) return true;
    }
  }
  return someClear && someSolid;
}

std::unique_ptr<ClipboardImage> HeldImage(ComPtr<IWICImagingFactory> factory, ComPtr<IWICBitmap> bitmap, PixelSize size) {
  const bool transparent = HasTransparency(bitmap.Get(), size);
  return std::make_unique<WicClipboardImage>(std::move(factory), std::move(bitmap), size, transparent);
}

// The picture file's first frame as 32-bit BGRA pixels of its own.
std::unique_ptr<ClipboardImage> DecodePicture(const pictures::ClipboardPictureBytes& picture) {
  if (!picture.problem.empty()) throw Error(picture.problem);
  ComPtr<IWICImagingFactory> factory = MakeFactory();
  ComPtr<IWICStream> stream;
  Check(factory->CreateStream(stream.Put()), "CreateStream");
  Check(stream->InitializeFromMemory(const_cast<BYTE*>(picture.file.data()), static_cast<DWORD>(picture.file.size())),
        "IWICStream::InitializeFromMemory");
  ComPtr<IWICBitmapDecoder> decoder;
  Check(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.Put()),
        "CreateDecoderFromStream");
  ComPtr<IWICBitmapFrameDecode> frame;
  Check(decoder->GetFrame(0, frame.Put()), "IWICBitmapDecoder::GetFrame");
  UINT width = 0;
  UINT height = 0;
  Check(frame->GetSize(&width, &height), "IWICBitmapFrameDecode::GetSize");
  if (const std::string problem = pictures::SizeProblem(width, height); !problem.empty()) throw Error(problem);
  const ComPtr<IWICBitmapSource> bgra = Converted(factory.Get(), frame.Get(), GUID_WICPixelFormat32bppBGRA);
  ComPtr<IWICBitmap> bitmap;
  Check(factory->CreateBitmapFromSource(bgra.Get(), WICBitmapCacheOnLoad, bitmap.Put()), "CreateBitmapFromSource");
  return HeldImage(std::move(factory), std::move(bitmap), {static_cast<int>(width), static_cast<int>(height)});
}

// A DIB: 32-bit pixels are taken as they are, with the alpha its header names (decoders differ
// there); every other kind goes to WIC's BMP decoder as a BMP file.
std::unique_ptr<ClipboardImage> DecodeDib(std::span<const std::uint8_t> dib) {
  const pictures::ClipboardPictureBytes bmp = pictures::BmpFileFromDib(dib);
  if (!bmp.problem.empty()) throw Error(bmp.problem);
  std::vector<std::uint8_t> pixels = pictures::Bgra32Pixels(dib);
  if (pixels.empty()) return DecodePicture(bmp);
  const BITMAPINFOHEADER* header = reinterpret_cast<const BITMAPINFOHEADER*>(dib.data());
  const PixelSize size{header->biWidth, header->biHeight < 0 ? -header->biHeight : header->biHeight};
  ComPtr<IWICImagingFactory> factory = MakeFactory();
  ComPtr<IWICBitmap> bitmap;
  Check(factory->CreateBitmapFromMemory(static_cast<UINT>(size.width), static_cast<UINT>(size.height),
                                        GUID_WICPixelFormat32bppBGRA, static_cast<UINT>(size.width) * 4,
                                        static_cast<UINT>(pixels.size()), pixels.data(), bitmap.Put()),
        "CreateBitmapFromMemory");
  return HeldImage(std::move(factory), std::move(bitmap), size);
}

std::span<const std::uint8_t> BytesOf(const ScopedGlobalLock& data) {
  return {reinterpret_cast<const std::uint8_t*>(data.Bytes()), data.Size()};
}

}  // namespace

std::vector<std::string> DroppedFilePaths(HDROP drop) {
  std::vector<std::string> paths;
  const UINT count = late::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = late::DragQueryFileW(drop, i, nullptr, 0);
    if (length == 0) continue;
    std::wstring path(length + 1, L'\0');
    path.resize(late::DragQueryFileW(drop, i, path.data(), length + 1));
    paths.push_back(Narrow(path));
  }
  return paths;
}

ClipboardPicture Win32Platform::ReadClipboardPicture() {
  // Another program may hold the clipboard open for a moment.
  std::unique_ptr<ScopedClipboard> clipboard;
  for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
    clipboard = std::make_unique<ScopedClipboard>(nullptr);
    if (*clipboard) break;
    clipboard.reset();
    Sleep(kOpenRetryMs);
  }
  if (!clipboard) throw CallFailed("OpenClipboard");

  ClipboardPicture pasted;
  if (IsClipboardFormatAvailable(CF_HDROP)) {
    const auto drop = static_cast<HDROP>(GetClipboardData(CF_HDROP));
    if (!drop) throw CallFailed("GetClipboardData");
    const std::vector<std::string> files = DroppedFilePaths(drop);
    if (!files.empty()) {
      pasted.file = files.front();
      return pasted;
    }
  }
  // PNG keeps everything; a version 5 DIB may carry alpha, which a plain DIB does not. Either
  // DIB may be one the system made from the other.
  // Browsers name PNG either way.
  const UINT pngFormats[] = {RegisterClipboardFormatW(L"PNG"), RegisterClipboardFormatW(L"image/png")};
  for (const UINT format : {pngFormats[0], pngFormats[1], static_cast<UINT>(CF_DIBV5), static_cast<UINT>(CF_DIB)}) {
    if (format == 0 || !IsClipboardFormatAvailable(format)) continue;
    const ScopedGlobalLock data(GetClipboardData(format));
    if (!data.Bytes()) throw CallFailed("GetClipboardData");
    const bool png = format == pngFormats[0] || format == pngFormats[1];
    pasted.image = png ? DecodePicture(pictures::CheckedPictureFile(BytesOf(data))) : DecodeDib(BytesOf(data));
    break;
  }
  return pasted;
}

LocalTime Win32Platform::Now() const {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

}  // namespace corvane::win32

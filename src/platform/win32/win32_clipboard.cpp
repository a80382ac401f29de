// Dropped files and the clipboard's picture. A copied file (CF_HDROP) is named as it is; a
// picture (the registered "PNG" or "image/png" format, else CF_DIBV5, else CF_DIB) is checked
// against the picture ceiling from its header, decoded by WIC into 32-bit pixels with their
// transparency, and written by WIC's PNG encoder.
#include <wincodec.h>

#include <algorithm>
#include <span>

#include "pictures/clipboard_bitmap.h"
#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_late_bound.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_scoped.h"
#include "platform/win32/win32_wic.h"

namespace corvane::win32 {

namespace {

// How long a paste waits for another program that has the clipboard open.
constexpr int kOpenAttempts = 20;
constexpr DWORD kOpenRetryMs = 10;

// Writes `bytes` as a new file; an existing file is never replaced, and a file left half
// written is removed.
void WriteNewFile(const std::string& path, std::span<const BYTE> bytes) {
  const std::wstring name = Widen(path);
  ScopedKernelHandle file(
      FileOrNull(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)));
  if (!file) throw CallFailedOn("CreateFile", path);
  DWORD written = 0;
  const BOOL wrote = WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  if (!wrote || written != bytes.size()) {
    const DWORD error = wrote ? static_cast<DWORD>(ERROR_HANDLE_DISK_FULL) : GetLastError();
    file.Reset();
    DeleteFileW(name.c_str());
    throw CallFailedOn("WriteFile", path, error);
  }
}

// A picture held as 32-bit BGRA pixels of its own, the clipboard closed.
class WicClipboardImage : public ClipboardImage {
 public:
  // Keeps `late` for the PNG's stream: it must outlive the image.
  WicClipboardImage(LateBound& late, ComPtr<IWICImagingFactory> factory, ComPtr<IWICBitmap> bitmap, PixelSize size,
                    bool transparent)
      : late_(late), factory_(std::move(factory)), bitmap_(std::move(bitmap)), size_(size), transparent_(transparent) {}

  void Save(const std::string& path) const override {
    try {
      WriteNewFile(path, EncodePng());
    } catch (const WicCallFailed& e) {
      throw Error(std::string(e.what()) + " (" + path + ")");
    }
  }

 private:
  // The picture as a PNG file's bytes.
  std::vector<BYTE> EncodePng() const {
    ComPtr<IStream> stream;
    CheckWic(late_.CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()), "CreateStreamOnHGlobal");
    ComPtr<IWICBitmapEncoder> encoder;
    CheckWic(factory_->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Put()), "CreateEncoder(PNG)");
    CheckWic(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache), "IWICBitmapEncoder::Initialize");
    ComPtr<IWICBitmapFrameEncode> frame;
    CheckWic(encoder->CreateNewFrame(frame.Put(), nullptr), "IWICBitmapEncoder::CreateNewFrame");
    CheckWic(frame->Initialize(nullptr), "IWICBitmapFrameEncode::Initialize");
    CheckWic(frame->SetSize(static_cast<UINT>(size_.width), static_cast<UINT>(size_.height)),
             "IWICBitmapFrameEncode::SetSize");
    // An opaque picture is kept without an alpha channel; the encoder may answer with the
    // format it takes instead, and gets the pixels converted to that.
    WICPixelFormatGUID format = transparent_ ? GUID_WICPixelFormat32bppBGRA : GUID_WICPixelFormat24bppBGR;
    CheckWic(frame->SetPixelFormat(&format), "IWICBitmapFrameEncode::SetPixelFormat");
    ComPtr<IWICBitmapSource> source = bitmap_.As<IWICBitmapSource>(IID_IWICBitmapSource);
    if (format != GUID_WICPixelFormat32bppBGRA) source = ConvertedTo(factory_.Get(), source.Get(), format);
    CheckWic(frame->WriteSource(source.Get(), nullptr), "IWICBitmapFrameEncode::WriteSource");
    CheckWic(frame->Commit(), "IWICBitmapFrameEncode::Commit");
    CheckWic(encoder->Commit(), "IWICBitmapEncoder::Commit");

    HGLOBAL memory = nullptr;
    CheckWic(late_.GetHGlobalFromStream(stream.Get(), &memory), "GetHGlobalFromStream");
    STATSTG stat{};
    CheckWic(stream->Stat(&stat, STATFLAG_NONAME), "IStream::Stat");
    const ScopedGlobalLock encoded(memory);
    if (!encoded.Bytes()) throw CallFailed("GlobalLock");
    const auto length = static_cast<std::size_t>(std::min<ULONGLONG>(stat.cbSize.QuadPart, encoded.Size()));
    return {encoded.Bytes(), encoded.Bytes() + length};
  }

  LateBound& late_;
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
  CheckWic(bitmap->Lock(&all, WICBitmapLockRead, lock.Put()), "IWICBitmap::Lock");
  UINT stride = 0;
  UINT length = 0;
  BYTE* pixels = nullptr;
  CheckWic(lock->GetStride(&stride), "IWICBitmapLock::GetStride");
  CheckWic(lock->GetDataPointer(&length, &pixels), "IWICBitmapLock::GetDataPointer");
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

std::unique_ptr<ClipboardImage> HeldImage(LateBound& late, ComPtr<IWICImagingFactory> factory,
                                          ComPtr<IWICBitmap> bitmap, PixelSize size) {
  const bool transparent = HasTransparency(bitmap.Get(), size);
  return std::make_unique<WicClipboardImage>(late, std::move(factory), std::move(bitmap), size, transparent);
}

// The picture file's first frame as 32-bit BGRA pixels of its own.
std::unique_ptr<ClipboardImage> DecodePicture(LateBound& late, const pictures::ClipboardPictureBytes& picture) {
  if (!picture.problem.empty()) throw Error(picture.problem);
  ComPtr<IWICImagingFactory> factory = MakeWicFactory(late);
  ComPtr<IWICStream> stream;
  CheckWic(factory->CreateStream(stream.Put()), "CreateStream");
  CheckWic(
      stream->InitializeFromMemory(const_cast<BYTE*>(picture.file.data()), static_cast<DWORD>(picture.file.size())),
      "IWICStream::InitializeFromMemory");
  ComPtr<IWICBitmapDecoder> decoder;
  CheckWic(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.Put()),
           "CreateDecoderFromStream");
  ComPtr<IWICBitmapFrameDecode> frame;
  CheckWic(decoder->GetFrame(0, frame.Put()), "IWICBitmapDecoder::GetFrame");
  const PixelSize size = CheckedSizeOf(frame.Get());
  const ComPtr<IWICBitmapSource> bgra = ConvertedTo(factory.Get(), frame.Get(), GUID_WICPixelFormat32bppBGRA);
  ComPtr<IWICBitmap> bitmap;
  CheckWic(factory->CreateBitmapFromSource(bgra.Get(), WICBitmapCacheOnLoad, bitmap.Put()), "CreateBitmapFromSource");
  return HeldImage(late, std::move(factory), std::move(bitmap), size);
}

// A DIB: 32-bit pixels are taken as they are, with the alpha its header names (decoders differ
// there); every other kind goes to WIC's BMP decoder as a BMP file.
std::unique_ptr<ClipboardImage> DecodeDib(LateBound& late, std::span<const std::uint8_t> dib) {
  const pictures::ClipboardPictureBytes bmp = pictures::BmpFileFromDib(dib);
  if (!bmp.problem.empty()) throw Error(bmp.problem);
  std::vector<std::uint8_t> pixels = pictures::Bgra32Pixels(dib);
  if (pixels.empty()) return DecodePicture(late, bmp);
  const BITMAPINFOHEADER* header = reinterpret_cast<const BITMAPINFOHEADER*>(dib.data());
  const PixelSize size{header->biWidth, header->biHeight < 0 ? -header->biHeight : header->biHeight};
  ComPtr<IWICImagingFactory> factory = MakeWicFactory(late);
  ComPtr<IWICBitmap> bitmap;
  CheckWic(factory->CreateBitmapFromMemory(static_cast<UINT>(size.width), static_cast<UINT>(size.height),
                                           GUID_WICPixelFormat32bppBGRA, static_cast<UINT>(size.width) * 4,
                                           static_cast<UINT>(pixels.size()), pixels.data(), bitmap.Put()),
           "CreateBitmapFromMemory");
  return HeldImage(late, std::move(factory), std::move(bitmap), size);
}

std::span<const std::uint8_t> BytesOf(const ScopedGlobalLock& data) {
  return {reinterpret_cast<const std::uint8_t*>(data.Bytes()), data.Size()};
}

}  // namespace

std::vector<std::string> DroppedFilePaths(LateBound& late, HDROP drop) {
  std::vector<std::string> paths;
  const UINT count = late.DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = late.DragQueryFileW(drop, i, nullptr, 0);
    if (length == 0) continue;
    std::wstring path(length + 1, L'\0');
    path.resize(late.DragQueryFileW(drop, i, path.data(), length + 1));
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
    if (!drop) throw CallFailedOn("GetClipboardData", "CF_HDROP");
    const std::vector<std::string> files = DroppedFilePaths(late_, drop);
    if (!files.empty()) {
      pasted.file = files.front();
      return pasted;
    }
  }
  // PNG keeps everything; a version 5 DIB may carry alpha, which a plain DIB does not. Either
  // DIB may be one the system made from the other.
  // Browsers name PNG either way.
  struct Offered {
    UINT format;
    const char* name;
    bool png;
  };
  const Offered offered[] = {{RegisterClipboardFormatW(L"PNG"), "PNG", true},
                             {RegisterClipboardFormatW(L"image/png"), "image/png", true},
                             {CF_DIBV5, "CF_DIBV5", false},
                             {CF_DIB, "CF_DIB", false}};
  for (const Offered& o : offered) {
    if (o.format == 0 || !IsClipboardFormatAvailable(o.format)) continue;
    const ScopedGlobalLock data(GetClipboardData(o.format));
    if (!data.Bytes()) throw CallFailedOn("GetClipboardData", o.name);
    try {
      pasted.image = o.png ? DecodePicture(late_, pictures::CheckedPictureFile(BytesOf(data)))
                           : DecodeDib(late_, BytesOf(data));
    } catch (const WicCallFailed& e) {
      throw Error(std::string(e.what()) + " (the clipboard's " + o.name + ")");
    }
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

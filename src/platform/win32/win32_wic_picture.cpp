// Pictures through the Windows Imaging Component: every format a decoder installed on the
// system reads, chosen by the file's content. The decoded picture lives once, as a DIB section;
// an opaque one is copied to the screen, kept in the decoder's own 24- or 32-bit pixels when it
// stands upright (no converter, no second copy), and one with transparency is held as 32-bit
// premultiplied pixels and blended over the window's ground. An animated GIF keeps its decoder and composes each frame on the
// fly into that one DIB section.
#include <wincodec.h>
#include <wincodecsdk.h>

#include <algorithm>
#include <cwctype>
#include <vector>

#include "pictures/animation.h"
#include "pictures/animation_metadata.h"
#include "pictures/exif_orientation.h"
#include "pictures/picture_header.h"
#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_scoped.h"

namespace corvane::win32 {

namespace {

using pictures::AnimationClock;
using pictures::AnimationFrame;
using pictures::Disposal;
using pictures::MetadataItem;

// WebP's metadata formats (wincodecsdk.h), spelled here: not every import library defines them.
constexpr GUID kWebpAnimFormat{0x6dc4fda6, 0x78e6, 0x4102, {0xae, 0x35, 0xbc, 0xfa, 0x1e, 0xdc, 0xc7, 0x8b}};
constexpr GUID kWebpAnmfFormat{0x43c105ee, 0xb93b, 0x4abb, {0xb0, 0x03, 0xa0, 0x8c, 0x0d, 0x87, 0x04, 0x71}};

std::string HResultText(HRESULT hr) {
  std::string text = ErrorText(static_cast<DWORD>(hr));
  if (text.rfind("error ", 0) == 0) {
    char hex[16];
    wsprintfA(hex, "0x%08lX", static_cast<unsigned long>(hr));
    text = std::string("error ") + hex;
  }
  return text;
}

Error WicFailed(const char* call, HRESULT hr) { return Error(std::string("WIC: ") + call + " failed: " + HResultText(hr)); }

void Check(HRESULT hr, const char* call) {
  if (FAILED(hr)) throw WicFailed(call, hr);
}

ComPtr<IWICImagingFactory> MakeFactory() {
  ComPtr<IWICImagingFactory> factory;
  RequireOle();
  Check(late::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                         factory.PutVoid()),
        "CoCreateInstance(WICImagingFactory)");
  return factory;
}

// Bytes in one row of a DIB of `bitsPerPixel` pixels: rows are padded to 4 bytes.
UINT Stride(PixelSize size, int bitsPerPixel = 32) {
  return (static_cast<UINT>(size.width) * static_cast<UINT>(bitsPerPixel) + 31u) / 32u * 4u;
}
UINT ByteCount(PixelSize size, int bitsPerPixel = 32) {
  return Stride(size, bitsPerPixel) * static_cast<UINT>(size.height);
}

// A DIB section of 24- or 32-bit pixels, top row first.
struct Dib {
  ScopedBitmap bitmap;
  void* bits = nullptr;
  int bitsPerPixel = 32;

  BYTE* Bytes() const { return static_cast<BYTE*>(bits); }
};

Dib MakeDib(PixelSize size, int bitsPerPixel = 32) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size.width;
  info.bmiHeader.biHeight = -size.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
  info.bmiHeader.biCompression = BI_RGB;
  Dib dib;
  dib.bitmap.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &dib.bits, nullptr, 0));
  if (!dib.bitmap) throw Error("There is not enough memory for a picture of " + std::to_string(size.width) + " x " +
                               std::to_string(size.height) + " pixels.");
  dib.bitsPerPixel = bitsPerPixel;
  return dib;
}

PixelSize SizeOf(IWICBitmapSource* source) {
  UINT width = 0, height = 0;
  Check(source->GetSize(&width, &height), "IWICBitmapSource::GetSize");
  return {static_cast<int>(std::min<UINT>(width, 0x7FFFFFFF)), static_cast<int>(std::min<UINT>(height, 0x7FFFFFFF))};
}

void CheckSize(std::int64_t width, std::int64_t height) {
  const std::string problem = pictures::SizeProblem(width, height);
  if (!problem.empty()) throw Error(problem);
}

// False only for pixel formats that cannot carry transparency; palettes (a transparent
// entry), alpha channels and unknown formats are blended, which draws right either way.
bool MayBeTransparent(IWICBitmapSource* source) {
  WICPixelFormatGUID format{};
  if (FAILED(source->GetPixelFormat(&format))) return true;
  const WICPixelFormatGUID opaque[] = {
      GUID_WICPixelFormat24bppBGR,  GUID_WICPixelFormat24bppRGB,  GUID_WICPixelFormat32bppBGR,
      GUID_WICPixelFormat8bppGray,  GUID_WICPixelFormat16bppGray, GUID_WICPixelFormat48bppRGB,
      GUID_WICPixelFormat48bppBGR,  GUID_WICPixelFormat32bppCMYK, GUID_WICPixelFormatBlackWhite,
      GUID_WICPixelFormat16bppBGR555, GUID_WICPixelFormat16bppBGR565,
  };
  return std::find(std::begin(opaque), std::end(opaque), format) == std::end(opaque);
}

ComPtr<IWICBitmapSource> ConvertedTo(IWICImagingFactory* factory, IWICBitmapSource* source, REFWICPixelFormatGUID format) {
  ComPtr<IWICFormatConverter> converter;
  Check(factory->CreateFormatConverter(converter.Put()), "CreateFormatConverter");
  Check(converter->Initialize(source, format, WICBitmapDitherTypeNone, nullptr, 0.0, WICBitmapPaletteTypeCustom),
        "IWICFormatConverter::Initialize");
  return ComPtr<IWICBitmapSource>(converter.As<IWICBitmapSource>(IID_IWICBitmapSource));
}

// The bits per pixel of a DIB section that holds the source's pixels as they come and that
// BitBlt copies as they are: 24 for BGR triples, 32 for BGR with an unused fourth byte; 0 for
// every other format, which goes through a converter.
int DirectDibBits(IWICBitmapSource* source) {
  WICPixelFormatGUID format{};
  if (FAILED(source->GetPixelFormat(&format))) return 0;
  if (format == GUID_WICPixelFormat24bppBGR) return 24;
  if (format == GUID_WICPixelFormat32bppBGR) return 32;
  return 0;
}

Error DamagedPicture(HRESULT hr) {
  return Error("The picture's data is damaged or cut short, so it cannot be shown (" + HResultText(hr) + ").");
}

// A picture decoded into one DIB section.
class DibPicture : public GdiPicture {
 public:
  DibPicture(PixelSize size, Dib dib, bool blended) : size_(size), dib_(std::move(dib)), blended_(blended) {}

  PixelSize Size() const override { return size_; }
  const char* Loader() const override { return "WIC"; }
  int HeldBitsPerPixel() const override {
    DIBSECTION section{};
    if (GetObject(dib_.bitmap.Get(), sizeof section, &section) != sizeof section) return 0;
    return section.dsBm.bmBitsPixel;
  }

  void Render(HDC dc, int x, int y, const RECT& clip) const override {
    RECT part{};
    const RECT whole{x, y, x + size_.width, y + size_.height};
    if (!IntersectRect(&part, &whole, &clip)) return;
    ScopedMemoryDC source(CreateCompatibleDC(dc));
    if (!source) throw CallFailed("CreateCompatibleDC");
    ScopedSelect select(source.Get(), dib_.bitmap.Get());
    const int w = part.right - part.left;
    const int h = part.bottom - part.top;
    if (!blended_) {
      BitBlt(dc, part.left, part.top, w, h, source.Get(), part.left - x, part.top - y, SRCCOPY);
      return;
    }
    // Per-pixel alpha over whatever the window painted beneath: its own ground.
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    late::AlphaBlend(dc, part.left, part.top, w, h, source.Get(), part.left - x, part.top - y, w, h, blend);
  }

  void RenderScaled(HDC dc, const RECT& shown, const RECT& clip) const override {
    RECT part{};
    if (!IntersectRect(&part, &shown, &clip)) return;
    ScopedMemoryDC source(CreateCompatibleDC(dc));
    if (!source) throw CallFailed("CreateCompatibleDC");
    ScopedSelect select(source.Get(), dib_.bitmap.Get());
    StretchPicture(dc, shown, part, source.Get(), size_, blended_);
  }

 protected:
  // The canvas of an animation, which is always made of 32-bit pixels.
  pictures::PixelView Pixels() const {
    return {static_cast<std::uint32_t*>(dib_.bits), size_.width, size_.height, size_.width};
  }
  void Flush() const { GdiFlush(); }

 private:
  PixelSize size_;
  Dib dib_;
  bool blended_;
};

// A file's or a frame's metadata, as WIC's readers keep it: GIF's items by their query
// names; WebP's ANIM and ANMF items by their numbers in the blocks of those formats (their
// documented property ids), which a block reader lists.
class WicMetadata : public pictures::MetadataSource {
 public:
  // `owner` is the decoder or frame the query reader came from.
  WicMetadata(ComPtr<IWICMetadataQueryReader> query, IUnknown* owner) : query_(std::move(query)) {
    ComPtr<IWICMetadataBlockReader> blocks;
    if (owner) owner->QueryInterface(__uuidof(IWICMetadataBlockReader), blocks.PutVoid());
    UINT count = 0;
    if (!blocks || FAILED(blocks->GetCount(&count))) return;
    for (UINT i = 0; i < count && i < kMostBlocks; ++i) {
      ComPtr<IWICMetadataReader> reader;
      if (SUCCEEDED(blocks->GetReaderByIndex(i, reader.Put()))) blocks_.push_back(std::move(reader));
    }
  }

  std::optional<std::uint32_t> Number(MetadataItem item) const override {
    if (item == MetadataItem::WebpLoopCount) return BlockNumber(kWebpAnimFormat, 1, L"LoopCount");
    if (item == MetadataItem::WebpFrameDuration) return BlockNumber(kWebpAnmfFormat, 1, L"FrameDuration");
    Variant value;
    Query(item, value);
    return AsNumber(value);
  }

  std::vector<std::uint8_t> Bytes(MetadataItem item) const override {
    Variant value;
    Query(item, value);
    if (value.Get().vt != (VT_UI1 | VT_VECTOR)) return {};
    const CAUB& bytes = value.Get().caub;
    return {bytes.pElems, bytes.pElems + bytes.cElems};
  }

 private:
  static constexpr UINT kMostBlocks = 64;

  // A PROPVARIANT cleared at the end.
  class Variant {
   public:
    Variant() { PropVariantInit(&value_); }
    ~Variant() { late::PropVariantClear(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    PROPVARIANT* Put() { return &value_; }
    const PROPVARIANT& Get() const { return value_; }

   private:
    PROPVARIANT value_;
  };

  static std::optional<std::uint32_t> AsNumber(const Variant& value) {
    switch (value.Get().vt) {
      case VT_UI1: return value.Get().bVal;
      case VT_UI2: return value.Get().uiVal;
      case VT_UI4: return value.Get().ulVal;
      case VT_UI8: return static_cast<std::uint32_t>(std::min<ULONGLONG>(value.Get().uhVal.QuadPart, 0xFFFFFFFFu));
      default: return std::nullopt;
    }
  }

  static const wchar_t* QueryName(MetadataItem item) {
    switch (item) {
      case MetadataItem::GifCanvasWidth: return L"/logscrdesc/Width";
      case MetadataItem::GifCanvasHeight: return L"/logscrdesc/Height";
      case MetadataItem::GifApplication: return L"/appext/Application";
      case MetadataItem::GifApplicationData: return L"/appext/Data";
      case MetadataItem::GifFrameLeft: return L"/imgdesc/Left";
      case MetadataItem::GifFrameTop: return L"/imgdesc/Top";
      case MetadataItem::GifFrameDelay: return L"/grctlext/Delay";
      case MetadataItem::GifFrameDisposal: return L"/grctlext/Disposal";
      default: return nullptr;
    }
  }

  void Query(MetadataItem item, Variant& value) const {
    if (const wchar_t* name = QueryName(item); name && query_) query_->GetMetadataByName(name, value.Put());
  }

  // Item `id` of the first block of `format` that has it, whatever integer type the id takes
  // (or, should a reader key it by name, the item called `name`).
  std::optional<std::uint32_t> BlockNumber(REFGUID format, std::uint32_t id, const wchar_t* name) const {
    for (const ComPtr<IWICMetadataReader>& reader : blocks_) {
      GUID blockFormat{};
      UINT count = 0;
      if (FAILED(reader->GetMetadataFormat(&blockFormat)) || blockFormat != format || FAILED(reader->GetCount(&count)))
        continue;
      for (UINT i = 0; i < count; ++i) {
        Variant key, value;
        if (FAILED(reader->GetValueByIndex(i, nullptr, key.Put(), value.Put()))) continue;
        const bool named = key.Get().vt == VT_LPWSTR && key.Get().pwszVal && lstrcmpiW(key.Get().pwszVal, name) == 0;
        if (named || AsNumber(key) == id) return AsNumber(value);
      }
    }
    return std::nullopt;
  }

  ComPtr<IWICMetadataQueryReader> query_;
  std::vector<ComPtr<IWICMetadataReader>> blocks_;
};

ComPtr<IWICMetadataQueryReader> QueryReader(IWICBitmapFrameDecode* frame) {
  ComPtr<IWICMetadataQueryReader> reader;
  frame->GetMetadataQueryReader(reader.Put());
  return reader;
}

WicMetadata FrameMetadata(IWICBitmapFrameDecode* frame) { return WicMetadata(QueryReader(frame), frame); }

// The file's metadata: the decoder's own; WebP's ANIM block, where a codec keeps it with the
// frames instead, is looked for in the first frame's blocks too.
class FileMetadata : public pictures::MetadataSource {
 public:
  FileMetadata(IWICBitmapDecoder* decoder, IWICBitmapFrameDecode* first)
      : decoder_(DecoderQuery(decoder), decoder), first_(FrameMetadata(first)) {}
  std::optional<std::uint32_t> Number(MetadataItem item) const override {
    const std::optional<std::uint32_t> own = decoder_.Number(item);
    return own || item != MetadataItem::WebpLoopCount ? own : first_.Number(item);
  }
  std::vector<std::uint8_t> Bytes(MetadataItem item) const override { return decoder_.Bytes(item); }

 private:
  static ComPtr<IWICMetadataQueryReader> DecoderQuery(IWICBitmapDecoder* decoder) {
    ComPtr<IWICMetadataQueryReader> reader;
    decoder->GetMetadataQueryReader(reader.Put());
    return reader;
  }
  WicMetadata decoder_;
  WicMetadata first_;
};

// An animation: one canvas (the DIB section shown), at most one saved area for frames that
// restore what lay beneath them, and the decoder, which reads each frame when its turn comes.
// GIF frames are pieces placed on the canvas; whole frames (WebP) replace it.
class WicAnimation : public DibPicture {
 public:
  WicAnimation(ComPtr<IWICImagingFactory> factory, ComPtr<IWICBitmapDecoder> decoder, PixelSize canvas,
               std::vector<AnimationFrame> frames, int repeats)
      : DibPicture(canvas, MakeDib(canvas), true),
        factory_(std::move(factory)),
        decoder_(std::move(decoder)),
        clock_(std::move(frames), canvas, repeats) {
    pictures::Clear(Pixels(), {0, 0, canvas.width, canvas.height});
    if (clock_.Frame(0).disposal == Disposal::Previous) pictures::SaveArea(Pixels(), clock_.Frame(0).rect, saved_);
    DrawFrame(0);
  }

  int FrameDelay() const override { return failed_ ? 0 : clock_.CurrentDelay(); }

  PixelRect NextFrame() override {
    if (failed_) return {};
    const AnimationClock::Step step = clock_.Advance();
    if (step.changed.Empty()) return {};
    Flush();
    const pictures::PixelView canvas = Pixels();
    if (step.clearAll) pictures::Clear(canvas, {0, 0, canvas.width, canvas.height});
    pictures::Clear(canvas, step.clear);
    pictures::RestoreArea(canvas, step.restore, saved_);
    if (step.saveBeforeDrawing) pictures::SaveArea(canvas, clock_.Frame(step.frame).rect, saved_);
    try {
      DrawFrame(step.frame);
    } catch (const Error&) {
      failed_ = true;  // a frame the decoder cannot read ends the animation where it is
    }
    return step.changed;
  }

 private:
  void DrawFrame(int index) {
    ComPtr<IWICBitmapFrameDecode> frame;
    Check(decoder_->GetFrame(static_cast<UINT>(index), frame.Put()), "IWICBitmapDecoder::GetFrame");
    ComPtr<IWICBitmapSource> pixels = ConvertedTo(factory_.Get(), frame.Get(), GUID_WICPixelFormat32bppPBGRA);
    const PixelSize size = SizeOf(pixels.Get());
    const PixelRect place = clock_.Frame(index).rect;
    // The frame's own pixels, placed where its descriptor says (clipped to the canvas).
    std::vector<std::uint32_t> buffer(static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height));
    const HRESULT hr = pixels->CopyPixels(nullptr, Stride(size), ByteCount(size), reinterpret_cast<BYTE*>(buffer.data()));
    if (FAILED(hr)) throw DamagedPicture(hr);
    pictures::DrawOver(Pixels(), {place.left, place.top, place.left + size.width, place.top + size.height},
                       buffer.data());
  }

  ComPtr<IWICImagingFactory> factory_;
  ComPtr<IWICBitmapDecoder> decoder_;
  AnimationClock clock_;
  std::vector<std::uint32_t> saved_;
  bool failed_ = false;
};

std::shared_ptr<Picture> LoadAnimation(const ComPtr<IWICImagingFactory>& factory, const ComPtr<IWICBitmapDecoder>& decoder,
                                       pictures::AnimationKind kind, UINT frameCount) {
  std::vector<AnimationFrame> frames;
  frames.reserve(frameCount);
  ComPtr<IWICBitmapFrameDecode> first;
  for (UINT i = 0; i < frameCount; ++i) {
    ComPtr<IWICBitmapFrameDecode> frame;
    Check(decoder->GetFrame(i, frame.Put()), "IWICBitmapDecoder::GetFrame");
    const PixelSize size = SizeOf(frame.Get());
    CheckSize(size.width, size.height);
    frames.push_back(pictures::ReadFrame(kind, FrameMetadata(frame.Get()), size));
    if (i == 0) first = frame;
  }
  const FileMetadata file(decoder.Get(), first.Get());
  const PixelSize canvas = pictures::ReadCanvas(kind, file, frames[0]);
  CheckSize(canvas.width, canvas.height);
  return std::make_shared<WicAnimation>(factory, decoder, canvas, std::move(frames), pictures::ReadRepeats(kind, file));
}

// Copies all of `source`'s pixels into a new DIB section of `bitsPerPixel` pixels, which must
// be the source's own pixel size.
Dib CopiedIntoDib(IWICBitmapSource* source, PixelSize size, int bitsPerPixel) {
  Dib dib = MakeDib(size, bitsPerPixel);
  const UINT stride = Stride(size, bitsPerPixel);
  const HRESULT hr = source->CopyPixels(nullptr, stride, stride * static_cast<UINT>(size.height), dib.Bytes());
  if (FAILED(hr)) throw DamagedPicture(hr);
  return dib;
}

std::shared_ptr<Picture> LoadStill(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame,
                                   pictures::Orientation orientation) {
  const bool blended = MayBeTransparent(frame);
  const bool standing = orientation == pictures::Orientation::Upright;
  // An opaque upright picture in pixels GDI draws as they are goes straight from the decoder
  // into the pixels that are drawn: no converter, which would copy it once more and widen a
  // JPEG's 3 bytes a pixel to 4.
  if (const int bits = blended || !standing ? 0 : DirectDibBits(frame)) {
    const PixelSize stored = SizeOf(frame);
    return std::make_shared<DibPicture>(stored, CopiedIntoDib(frame, stored, bits), false);
  }
  ComPtr<IWICBitmapSource> pixels =
      ConvertedTo(factory, frame, blended ? GUID_WICPixelFormat32bppPBGRA : GUID_WICPixelFormat32bppBGR);
  const PixelSize stored = SizeOf(pixels.Get());
  if (standing) return std::make_shared<DibPicture>(stored, CopiedIntoDib(pixels.Get(), stored, 32), blended);
  // A turned or mirrored photo passes through one buffer of its stored 32-bit pixels, freed at once.
  // (WIC's flip-rotator would do it, but Wine's does only vertical flips.)
  std::vector<std::uint32_t> buffer(static_cast<std::size_t>(stored.width) * static_cast<std::size_t>(stored.height));
  const HRESULT hr = pixels->CopyPixels(nullptr, Stride(stored), ByteCount(stored), reinterpret_cast<BYTE*>(buffer.data()));
  if (FAILED(hr)) throw DamagedPicture(hr);
  pixels.Reset();
  const PixelSize upright = pictures::SwapsSides(orientation) ? PixelSize{stored.height, stored.width} : stored;
  Dib dib = MakeDib(upright);
  pictures::StandUpright(buffer.data(), stored.width, stored.height, orientation, static_cast<std::uint32_t*>(dib.bits));
  return std::make_shared<DibPicture>(upright, std::move(dib), blended);
}

}  // namespace

std::shared_ptr<Picture> LoadWicPicture(const std::string& path, const FileGlance& glance) {
  const ComPtr<IWICImagingFactory> factory = MakeFactory();
  ComPtr<IWICBitmapDecoder> decoder;
  // The decoder is chosen by the file's content, whatever its name says.
  if (FAILED(factory->CreateDecoderFromFilename(Widen(path).c_str(), nullptr, GENERIC_READ,
                                                WICDecodeMetadataCacheOnDemand, decoder.Put())))
    return nullptr;
  UINT frameCount = 0;
  Check(decoder->GetFrameCount(&frameCount), "IWICBitmapDecoder::GetFrameCount");
  if (frameCount == 0) throw Error("The file holds no picture.");
  GUID container{};
  Check(decoder->GetContainerFormat(&container), "IWICBitmapDecoder::GetContainerFormat");
  ComPtr<IWICBitmapFrameDecode> frame;
  Check(decoder->GetFrame(0, frame.Put()), "IWICBitmapDecoder::GetFrame");
  // Several frames with delays play (GIF, animated WebP); other frames (a TIFF's pages, an
  // icon's sizes) show the first.
  const pictures::AnimationKind kind =
      frameCount < 2 ? pictures::AnimationKind::Still
                     : pictures::KindOfAnimation(container == GUID_ContainerFormatGif,
                                                 static_cast<int>(std::min<UINT>(frameCount, 0x7FFFFFFF)),
                                                 FrameMetadata(frame.Get()));
  if (kind != pictures::AnimationKind::Still) {
    frame.Reset();
    return LoadAnimation(factory, decoder, kind, frameCount);
  }
  const PixelSize stored = SizeOf(frame.Get());
  CheckSize(stored.width, stored.height);  // before any pixel is decoded
  // Only a JPEG's bytes carry the orientation this reader finds (a PNG named .jpg stays as it is).
  const pictures::Orientation orientation = pictures::ReadJpegOrientation(glance.head);
  return LoadStill(factory.Get(), frame.Get(), orientation);
}

std::vector<std::string> WicExtensions() {
  std::vector<std::string> extensions;
  ComPtr<IWICImagingFactory> factory;
  try {
    factory = MakeFactory();
  } catch (const Error&) {
    return extensions;
  }
  ComPtr<IEnumUnknown> components;
  if (FAILED(factory->CreateComponentEnumerator(WICDecoder, WICComponentEnumerateDefault, components.Put())))
    return extensions;
  ComPtr<IUnknown> component;
  ULONG fetched = 0;
  while (components->Next(1, component.Put(), &fetched) == S_OK && fetched == 1) {
    ComPtr<IWICBitmapCodecInfo> info = component.As<IWICBitmapCodecInfo>(IID_IWICBitmapCodecInfo);
    UINT length = 0;
    if (!info || FAILED(info->GetFileExtensions(0, nullptr, &length)) || length == 0) continue;
    std::wstring text(length, L'\0');
    if (FAILED(info->GetFileExtensions(length, text.data(), &length))) continue;
    // ".bmp,.dib,.rle": a list of dotted names, separated by commas (or semicolons).
    std::wstring name;
    for (wchar_t c : text + L",") {
      if (c == L',' || c == L';' || c == L'\0') {
        if (!name.empty()) extensions.push_back(Narrow(name));
        name.clear();
        if (c == L'\0') break;
      } else if (c != L'.' && c != L' ') {
        name += static_cast<wchar_t>(std::towlower(c));
      }
    }
  }
  return extensions;
}

}  // namespace corvane::win32

// Pictures through the Windows Imaging Component: every format a decoder installed on the
// system reads, chosen by the file's content. The decoded picture lives once, as a DIB section;
// an opaque one is copied to the screen, kept in the decoder's own 24- or 32-bit pixels when it
// stands upright (no converter, no second copy), and one with transparency is held as 32-bit
// premultiplied pixels and blended over the window's ground. An animation (GIF, WebP) keeps
// its decoder and composes each frame on the fly into that one DIB section; what its metadata
// says is read in win32_wic_metadata.cpp.
#include <wincodec.h>

#include <algorithm>
#include <cwctype>
#include <vector>

#include "pictures/animation.h"
#include "pictures/animation_metadata.h"
#include "pictures/exif_orientation.h"
#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_scoped.h"
#include "platform/win32/win32_wic.h"
#include "platform/win32/win32_wic_metadata.h"

namespace corvane::win32 {

namespace {

using pictures::AnimationClock;
using pictures::AnimationFrame;
using pictures::Disposal;

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
  if (!dib.bitmap)
    throw Error("There is not enough memory for a picture of " + std::to_string(size.width) + " x " +
                std::to_string(size.height) + " pixels.");
  dib.bitsPerPixel = bitsPerPixel;
  return dib;
}

// False only for pixel formats that cannot carry transparency; palettes (a transparent
// entry), alpha channels and unknown formats are blended, which draws right either way.
bool MayBeTransparent(IWICBitmapSource* source) {
  WICPixelFormatGUID format{};
  if (FAILED(source->GetPixelFormat(&format))) return true;
  const WICPixelFormatGUID opaque[] = {
      GUID_WICPixelFormat24bppBGR,    GUID_WICPixelFormat24bppRGB,    GUID_WICPixelFormat32bppBGR,
      GUID_WICPixelFormat8bppGray,    GUID_WICPixelFormat16bppGray,   GUID_WICPixelFormat48bppRGB,
      GUID_WICPixelFormat48bppBGR,    GUID_WICPixelFormat32bppCMYK,   GUID_WICPixelFormatBlackWhite,
      GUID_WICPixelFormat16bppBGR555, GUID_WICPixelFormat16bppBGR565,
  };
  return std::find(std::begin(opaque), std::end(opaque), format) == std::end(opaque);
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
  // Keeps `late` for AlphaBlend: it must outlive the picture.
  DibPicture(LateBound& late, PixelSize size, Dib dib, bool blended)
      : late_(late), size_(size), dib_(std::move(dib)), blended_(blended) {}

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
    const BitmapSource source(dc, dib_.bitmap.Get());
    const int w = part.right - part.left;
    const int h = part.bottom - part.top;
    if (!blended_) {
      if (!BitBlt(dc, part.left, part.top, w, h, source.Get(), part.left - x, part.top - y, SRCCOPY))
        throw CallFailed("BitBlt");
      return;
    }
    // Per-pixel alpha over whatever the window painted beneath: its own ground.
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    if (!late_.AlphaBlend(dc, part.left, part.top, w, h, source.Get(), part.left - x, part.top - y, w, h, blend))
      throw CallFailed("AlphaBlend");
  }

  void RenderScaled(HDC dc, const RECT& shown, const RECT& clip) const override {
    RECT part{};
    if (!IntersectRect(&part, &shown, &clip)) return;
    const BitmapSource source(dc, dib_.bitmap.Get());
    if (blended_) {
      BlendPictureScaled(late_, dc, shown, part, source.Get(), size_);
    } else {
      StretchPicture(dc, shown, part, source.Get(), size_);
    }
  }

 protected:
  // The canvas of an animation, which is always made of 32-bit pixels.
  pictures::PixelView Pixels() const {
    return {static_cast<std::uint32_t*>(dib_.bits), size_.width, size_.height, size_.width};
  }
  void Flush() const { GdiFlush(); }

 private:
  LateBound& late_;
  PixelSize size_;
  Dib dib_;
  bool blended_;
};

// An animation: one canvas (the DIB section shown), at most one saved area for frames that
// restore what lay beneath them, and the decoder, which reads each frame when its turn comes.
// GIF frames are pieces placed on the canvas; whole frames (WebP) replace it.
class WicAnimation : public DibPicture {
 public:
  WicAnimation(LateBound& late, ComPtr<IWICImagingFactory> factory, ComPtr<IWICBitmapDecoder> decoder, PixelSize canvas,
               pictures::AnimationKind kind, UINT frameCount, int repeats)
      : DibPicture(late, canvas, MakeDib(canvas), true),
        factory_(std::move(factory)),
        decoder_(std::move(decoder)),
        clock_(
            static_cast<int>(std::min<UINT>(frameCount, 0x7FFFFFFF)),
            [&late, kind, decoder = decoder_.Get()](int index) { return ReadFrameFacts(late, decoder, kind, index); },
            canvas, repeats) {
    pictures::Clear(Pixels(), {0, 0, canvas.width, canvas.height});
    if (clock_.CurrentFrame().disposal == Disposal::Previous)
      pictures::SaveArea(Pixels(), clock_.CurrentFrame().rect, saved_);
    DrawFrame(0);
  }

  // A frame's place, delay and disposal, read from the decoder when the frame's turn comes.
  static AnimationFrame ReadFrameFacts(LateBound& late, IWICBitmapDecoder* decoder, pictures::AnimationKind kind,
                                       int index) {
    ComPtr<IWICBitmapFrameDecode> frame;
    CheckWic(decoder->GetFrame(static_cast<UINT>(index), frame.Put()), "IWICBitmapDecoder::GetFrame");
    return pictures::ReadFrame(kind, FrameMetadata(late, frame.Get()), CheckedSizeOf(frame.Get()));
  }

  int FrameDelay() const override { return failed_ ? 0 : clock_.CurrentDelay(); }

  PixelRect NextFrame() override {
    if (failed_) return {};
    AnimationClock::Step step;
    try {
      step = clock_.Advance();
    } catch (const Error&) {
      failed_ = true;  // a frame the decoder cannot describe ends the animation where it is
      return {};
    }
    if (step.changed.Empty()) return {};
    Flush();
    const pictures::PixelView canvas = Pixels();
    if (step.clearAll) pictures::Clear(canvas, {0, 0, canvas.width, canvas.height});
    pictures::Clear(canvas, step.clear);
    pictures::RestoreArea(canvas, step.restore, saved_);
    if (step.saveBeforeDrawing) pictures::SaveArea(canvas, clock_.CurrentFrame().rect, saved_);
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
    CheckWic(decoder_->GetFrame(static_cast<UINT>(index), frame.Put()), "IWICBitmapDecoder::GetFrame");
    ComPtr<IWICBitmapSource> pixels = ConvertedTo(factory_.Get(), frame.Get(), GUID_WICPixelFormat32bppPBGRA);
    const PixelSize size = SizeOf(pixels.Get());
    const PixelRect place = clock_.CurrentFrame().rect;
    // The frame's own pixels, placed where its descriptor says (clipped to the canvas).
    std::vector<std::uint32_t> buffer(static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height));
    const HRESULT hr =
        pixels->CopyPixels(nullptr, Stride(size), ByteCount(size), reinterpret_cast<BYTE*>(buffer.data()));
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

std::shared_ptr<Picture> LoadAnimation(LateBound& late, const ComPtr<IWICImagingFactory>& factory,
                                       const ComPtr<IWICBitmapDecoder>& decoder, pictures::AnimationKind kind,
                                       UINT frameCount) {
  // Only the first frame is asked about here; the others when their turn comes.
  ComPtr<IWICBitmapFrameDecode> first;
  CheckWic(decoder->GetFrame(0, first.Put()), "IWICBitmapDecoder::GetFrame");
  const AnimationFrame firstFacts =
      pictures::ReadFrame(kind, FrameMetadata(late, first.Get()), CheckedSizeOf(first.Get()));
  const FileMetadata file(late, decoder.Get(), first.Get());
  const PixelSize canvas = pictures::ReadCanvas(kind, file, firstFacts);
  CheckSizeCeiling(canvas);
  const int repeats = pictures::ReadRepeats(kind, file);
  first.Reset();
  return std::make_shared<WicAnimation>(late, factory, decoder, canvas, kind, frameCount, repeats);
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

std::shared_ptr<Picture> LoadStill(LateBound& late, IWICImagingFactory* factory, IWICBitmapFrameDecode* frame,
                                   pictures::Orientation orientation) {
  const bool blended = MayBeTransparent(frame);
  const bool standing = orientation == pictures::Orientation::Upright;
  // An opaque upright picture in pixels GDI draws as they are goes straight from the decoder
  // into the pixels that are drawn: no converter, which would copy it once more and widen a
  // JPEG's 3 bytes a pixel to 4.
  if (const int bits = blended || !standing ? 0 : DirectDibBits(frame)) {
    const PixelSize stored = SizeOf(frame);
    return std::make_shared<DibPicture>(late, stored, CopiedIntoDib(frame, stored, bits), false);
  }
  ComPtr<IWICBitmapSource> pixels =
      ConvertedTo(factory, frame, blended ? GUID_WICPixelFormat32bppPBGRA : GUID_WICPixelFormat32bppBGR);
  const PixelSize stored = SizeOf(pixels.Get());
  if (standing) return std::make_shared<DibPicture>(late, stored, CopiedIntoDib(pixels.Get(), stored, 32), blended);
  // A turned or mirrored photo passes through one buffer of its stored 32-bit pixels, freed at once.
  // (WIC's flip-rotator would do it, but Wine's does only vertical flips.)
  std::vector<std::uint32_t> buffer(static_cast<std::size_t>(stored.width) * static_cast<std::size_t>(stored.height));
  const HRESULT hr =
      pixels->CopyPixels(nullptr, Stride(stored), ByteCount(stored), reinterpret_cast<BYTE*>(buffer.data()));
  if (FAILED(hr)) throw DamagedPicture(hr);
  pixels.Reset();
  const PixelSize upright = pictures::SwapsSides(orientation) ? PixelSize{stored.height, stored.width} : stored;
  Dib dib = MakeDib(upright);
  pictures::StandUpright(buffer.data(), stored.width, stored.height, orientation,
                         static_cast<std::uint32_t*>(dib.bits));
  return std::make_shared<DibPicture>(late, upright, std::move(dib), blended);
}

std::shared_ptr<Picture> DecodeWicFile(LateBound& late, const std::string& path, const FileGlance& glance) {
  const ComPtr<IWICImagingFactory> factory = MakeWicFactory(late);
  ComPtr<IWICBitmapDecoder> decoder;
  // The decoder is chosen by the file's content, whatever its name says.
  if (FAILED(factory->CreateDecoderFromFilename(Widen(path).c_str(), nullptr, GENERIC_READ,
                                                WICDecodeMetadataCacheOnDemand, decoder.Put())))
    return nullptr;
  UINT frameCount = 0;
  CheckWic(decoder->GetFrameCount(&frameCount), "IWICBitmapDecoder::GetFrameCount");
  if (frameCount == 0) throw Error("The file holds no picture.");
  GUID container{};
  CheckWic(decoder->GetContainerFormat(&container), "IWICBitmapDecoder::GetContainerFormat");
  ComPtr<IWICBitmapFrameDecode> frame;
  CheckWic(decoder->GetFrame(0, frame.Put()), "IWICBitmapDecoder::GetFrame");
  // Several frames with delays play (GIF, animated WebP); other frames (a TIFF's pages, an
  // icon's sizes) show the first.
  const pictures::AnimationKind kind =
      frameCount < 2 ? pictures::AnimationKind::Still
                     : pictures::KindOfAnimation(container == GUID_ContainerFormatGif,
                                                 static_cast<int>(std::min<UINT>(frameCount, 0x7FFFFFFF)),
                                                 FrameMetadata(late, frame.Get()));
  if (kind != pictures::AnimationKind::Still) {
    frame.Reset();
    return LoadAnimation(late, factory, decoder, kind, frameCount);
  }
  CheckedSizeOf(frame.Get());  // before any pixel is decoded
  // Only a JPEG's bytes carry the orientation this reader finds (a PNG named .jpg stays as it is).
  const pictures::Orientation orientation = pictures::ReadJpegOrientation(glance.head);
  return LoadStill(late, factory.Get(), frame.Get(), orientation);
}

}  // namespace

std::shared_ptr<Picture> LoadWicPicture(LateBound& late, const std::string& path, const FileGlance& glance) {
  try {
    return DecodeWicFile(late, path, glance);
  } catch (const WicCallFailed& e) {
    throw Error(std::string(e.what()) + " (" + path + ")");
  }
}

std::vector<std::string> WicExtensions(LateBound& late) {
  std::vector<std::string> extensions;
  ComPtr<IWICImagingFactory> factory;
  try {
    factory = MakeWicFactory(late);
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

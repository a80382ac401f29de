#include "platform/win32/win32_wic_metadata.h"

#include <algorithm>

namespace corvane::win32 {

namespace {

using pictures::MetadataItem;

// WebP's metadata formats (wincodecsdk.h), spelled here: not every import library defines them.
constexpr GUID kWebpAnimFormat{0x6dc4fda6, 0x78e6, 0x4102, {0xae, 0x35, 0xbc, 0xfa, 0x1e, 0xdc, 0xc7, 0x8b}};
constexpr GUID kWebpAnmfFormat{0x43c105ee, 0xb93b, 0x4abb, {0xb0, 0x03, 0xa0, 0x8c, 0x0d, 0x87, 0x04, 0x71}};

// Blocks read at most from one file or frame.
constexpr UINT kMostBlocks = 64;

std::optional<std::uint32_t> AsNumber(const ScopedPropVariant& value) {
  switch (value.Get().vt) {
    case VT_UI1: return value.Get().bVal;
    case VT_UI2: return value.Get().uiVal;
    case VT_UI4: return value.Get().ulVal;
    case VT_UI8: return static_cast<std::uint32_t>(std::min<ULONGLONG>(value.Get().uhVal.QuadPart, 0xFFFFFFFFu));
    default: return std::nullopt;
  }
}

const wchar_t* QueryName(MetadataItem item) {
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

ComPtr<IWICMetadataQueryReader> DecoderQuery(IWICBitmapDecoder* decoder) {
  ComPtr<IWICMetadataQueryReader> reader;
  decoder->GetMetadataQueryReader(reader.Put());
  return reader;
}

ComPtr<IWICMetadataQueryReader> FrameQuery(IWICBitmapFrameDecode* frame) {
  ComPtr<IWICMetadataQueryReader> reader;
  frame->GetMetadataQueryReader(reader.Put());
  return reader;
}

}  // namespace

WicMetadata::WicMetadata(LateBound& late, ComPtr<IWICMetadataQueryReader> query, IUnknown* owner)
    : late_(late), query_(std::move(query)) {
  ComPtr<IWICMetadataBlockReader> blocks;
  if (owner) owner->QueryInterface(__uuidof(IWICMetadataBlockReader), blocks.PutVoid());
  UINT count = 0;
  if (!blocks || FAILED(blocks->GetCount(&count))) return;
  for (UINT i = 0; i < count && i < kMostBlocks; ++i) {
    ComPtr<IWICMetadataReader> reader;
    if (SUCCEEDED(blocks->GetReaderByIndex(i, reader.Put()))) blocks_.push_back(std::move(reader));
  }
}

std::optional<std::uint32_t> WicMetadata::Number(MetadataItem item) const {
  if (item == MetadataItem::WebpLoopCount) return BlockNumber(kWebpAnimFormat, 1, L"LoopCount");
  if (item == MetadataItem::WebpFrameDuration) return BlockNumber(kWebpAnmfFormat, 1, L"FrameDuration");
  ScopedPropVariant value(late_);
  Query(item, value);
  return AsNumber(value);
}

std::vector<std::uint8_t> WicMetadata::Bytes(MetadataItem item) const {
  ScopedPropVariant value(late_);
  Query(item, value);
  if (value.Get().vt != (VT_UI1 | VT_VECTOR)) return {};
  const CAUB& bytes = value.Get().caub;
  return {bytes.pElems, bytes.pElems + bytes.cElems};
}

void WicMetadata::Query(MetadataItem item, ScopedPropVariant& value) const {
  if (const wchar_t* name = QueryName(item); name && query_) query_->GetMetadataByName(name, value.Put());
}

// Item `id` of the first block of `format` that has it, whatever integer type the id takes
// (or, should a reader key it by name, the item called `name`).
std::optional<std::uint32_t> WicMetadata::BlockNumber(REFGUID format, std::uint32_t id, const wchar_t* name) const {
  for (const ComPtr<IWICMetadataReader>& reader : blocks_) {
    GUID blockFormat{};
    UINT count = 0;
    if (FAILED(reader->GetMetadataFormat(&blockFormat)) || blockFormat != format || FAILED(reader->GetCount(&count)))
      continue;
    for (UINT i = 0; i < count; ++i) {
      ScopedPropVariant key(late_), value(late_);
      if (FAILED(reader->GetValueByIndex(i, nullptr, key.Put(), value.Put()))) continue;
      const bool named = key.Get().vt == VT_LPWSTR && key.Get().pwszVal && lstrcmpiW(key.Get().pwszVal, name) == 0;
      if (named || AsNumber(key) == id) return AsNumber(value);
    }
  }
  return std::nullopt;
}

WicMetadata FrameMetadata(LateBound& late, IWICBitmapFrameDecode* frame) {
  return WicMetadata(late, FrameQuery(frame), frame);
}

FileMetadata::FileMetadata(LateBound& late, IWICBitmapDecoder* decoder, IWICBitmapFrameDecode* first)
    : decoder_(late, DecoderQuery(decoder), decoder), first_(FrameMetadata(late, first)) {}

std::optional<std::uint32_t> FileMetadata::Number(MetadataItem item) const {
  const std::optional<std::uint32_t> own = decoder_.Number(item);
  return own || item != MetadataItem::WebpLoopCount ? own : first_.Number(item);
}

}  // namespace corvane::win32

// The metadata of a WIC picture that animation needs (delays, disposal, frame places, the
// logical screen, loop counts, WebP frame durations), as the portable animation rules ask for
// it (pictures/animation_metadata.h). Only files in this folder include it.
#pragma once

#include <windows.h>
#include <wincodec.h>
#include <wincodecsdk.h>

#include <vector>

#include "pictures/animation_metadata.h"
#include "platform/win32/win32_late_bound.h"
#include "platform/win32/win32_scoped.h"

namespace corvane::win32 {

// A file's or a frame's metadata, as WIC's readers keep it: GIF's items by their query
// names; WebP's ANIM and ANMF items by their numbers in the blocks of those formats (their
// documented property ids), which a block reader lists. Keeps `late` for clearing the values
// it reads: it must outlive this object.
class WicMetadata : public pictures::MetadataSource {
 public:
  // `owner` is the decoder or frame the query reader came from.
  WicMetadata(LateBound& late, ComPtr<IWICMetadataQueryReader> query, IUnknown* owner);

  std::optional<std::uint32_t> Number(pictures::MetadataItem item) const override;
  std::vector<std::uint8_t> Bytes(pictures::MetadataItem item) const override;

 private:
  void Query(pictures::MetadataItem item, ScopedPropVariant& value) const;
  std::optional<std::uint32_t> BlockNumber(REFGUID format, std::uint32_t id, const wchar_t* name) const;

  LateBound& late_;
  ComPtr<IWICMetadataQueryReader> query_;
  std::vector<ComPtr<IWICMetadataReader>> blocks_;
};

// A frame's own metadata.
WicMetadata FrameMetadata(LateBound& late, IWICBitmapFrameDecode* frame);

// The file's metadata: the decoder's own; WebP's ANIM block, where a codec keeps it with the
// frames instead, is looked for in the first frame's blocks too.
class FileMetadata : public pictures::MetadataSource {
 public:
  FileMetadata(LateBound& late, IWICBitmapDecoder* decoder, IWICBitmapFrameDecode* first);
  std::optional<std::uint32_t> Number(pictures::MetadataItem item) const override;
  std::vector<std::uint8_t> Bytes(pictures::MetadataItem item) const override { return decoder_.Bytes(item); }

 private:
  WicMetadata decoder_;
  WicMetadata first_;
};

}  // namespace corvane::win32

// What the backend's users of the Windows Imaging Component share: the factory, the failure of
// a WIC call, the size of a picture and the conversion of its pixels. Only files in this folder
// include it.
#pragma once

#include <windows.h>
#include <wincodec.h>

#include <string>

#include "platform/platform.h"
#include "platform/win32/win32_late_bound.h"
#include "platform/win32/win32_scoped.h"

namespace corvane::win32 {

// The system's text for an HRESULT, or its number in hex when the system has none.
std::string HResultText(HRESULT hr);

// A WIC call that failed: "WIC: <call> failed: <reason>". Whoever knows what the call was made
// for (a file, the clipboard) names it when passing the failure on.
class WicCallFailed : public Error {
 public:
  using Error::Error;
};
// Throws WicCallFailed naming `call` when `hr` is a failure.
void CheckWic(HRESULT hr, const char* call);

// A new imaging factory; OLE is started first.
ComPtr<IWICImagingFactory> MakeWicFactory(LateBound& late);

// The source's size in pixels.
PixelSize SizeOf(IWICBitmapSource* source);
// Throws Error with the reason when `size` is beyond the picture size ceiling.
void CheckSizeCeiling(PixelSize size);
// The source's size, checked against the ceiling before any pixel is decoded.
PixelSize CheckedSizeOf(IWICBitmapSource* source);

// The source's pixels converted to `format` as they are read.
ComPtr<IWICBitmapSource> ConvertedTo(IWICImagingFactory* factory, IWICBitmapSource* source,
                                     REFWICPixelFormatGUID format);

}  // namespace corvane::win32

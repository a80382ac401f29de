#include "platform/win32/win32_wic.h"

#include <algorithm>

#include "pictures/picture_header.h"
#include "platform/win32/win32_internal.h"

namespace corvane::win32 {

std::string HResultText(HRESULT hr) {
  std::string text = ErrorText(static_cast<DWORD>(hr));
  if (text.rfind("error ", 0) == 0) {
    char hex[16];
    wsprintfA(hex, "0x%08lX", static_cast<unsigned long>(hr));
    text = std::string("error ") + hex;
  }
  return text;
}

void CheckWic(HRESULT hr, const char* call) {
  if (FAILED(hr)) throw WicCallFailed(std::string("WIC: ") + call + " failed: " + HResultText(hr));
}

ComPtr<IWICImagingFactory> MakeWicFactory(LateBound& late) {
  late.RequireOle();
  ComPtr<IWICImagingFactory> factory;
  CheckWic(late.CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                 factory.PutVoid()),
           "CoCreateInstance(WICImagingFactory)");
  return factory;
}

PixelSize SizeOf(IWICBitmapSource* source) {
  UINT width = 0, height = 0;
  CheckWic(source->GetSize(&width, &height), "IWICBitmapSource::GetSize");
  return {static_cast<int>(std::min<UINT>(width, 0x7FFFFFFF)), static_cast<int>(std::min<UINT>(height, 0x7FFFFFFF))};
}

void CheckSizeCeiling(PixelSize size) {
  if (const std::string problem = pictures::SizeProblem(size.width, size.height); !problem.empty())
    throw Error(problem);
}

PixelSize CheckedSizeOf(IWICBitmapSource* source) {
  const PixelSize size = SizeOf(source);
  CheckSizeCeiling(size);
  return size;
}

ComPtr<IWICBitmapSource> ConvertedTo(IWICImagingFactory* factory, IWICBitmapSource* source,
                                     REFWICPixelFormatGUID format) {
  ComPtr<IWICFormatConverter> converter;
  CheckWic(factory->CreateFormatConverter(converter.Put()), "CreateFormatConverter");
  CheckWic(converter->Initialize(source, format, WICBitmapDitherTypeNone, nullptr, 0.0, WICBitmapPaletteTypeCustom),
           "IWICFormatConverter::Initialize");
  return converter.As<IWICBitmapSource>(IID_IWICBitmapSource);
}

}  // namespace corvane::win32

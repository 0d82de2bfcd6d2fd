#include "wic_decoder.h"

#include <objbase.h>
#include <wincodec.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace {

// Releases a COM interface at the end of its scope.
template <typename T>
class TComRef {
 public:
  TComRef() = default;
  ~TComRef() {
    if (FPointer != nullptr) FPointer->Release();
  }
  TComRef(const TComRef&) = delete;
  TComRef& operator=(const TComRef&) = delete;
  T** Out() { return &FPointer; }
  T* operator->() const { return FPointer; }
  T* Get() const { return FPointer; }

 private:
  T* FPointer = nullptr;
};

}  // namespace

std::optional<TWinBitmap> DecodeImage(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > std::numeric_limits<DWORD>::max()) return std::nullopt;
  TComRef<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Out()))))
    return std::nullopt;
  TComRef<IWICStream> stream;
  if (FAILED(factory->CreateStream(stream.Out())) ||
      FAILED(stream->InitializeFromMemory(reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())),
                                          static_cast<DWORD>(bytes.size()))))
    return std::nullopt;
  TComRef<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                              decoder.Out())))
    return std::nullopt;
  TComRef<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder->GetFrame(0, frame.Out()))) return std::nullopt;
  UINT width = 0;
  UINT height = 0;
  if (FAILED(frame->GetSize(&width, &height)) || width == 0 || height == 0 ||
      width > kMaxImageSide || height > kMaxImageSide)
    return std::nullopt;
  TComRef<IWICFormatConverter> converter;
  if (FAILED(factory->CreateFormatConverter(converter.Out())) ||
      FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA,
                                   WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom)))
    return std::nullopt;
  const UINT stride = width * 4;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  if (FAILED(converter->CopyPixels(nullptr, stride, stride * height,
                                   reinterpret_cast<BYTE*>(pixels.data()))))
    return std::nullopt;
  return TWinBitmap(static_cast<int>(width), static_cast<int>(height), pixels.data());
}

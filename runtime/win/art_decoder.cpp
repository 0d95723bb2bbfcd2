#include "runtime/win/art_decoder.h"

#include <objbase.h>
#include <wincodec.h>

#include "runtime/core/runtime_error.h"
#include "runtime/win/win_error.h"

namespace rt {
namespace {

// Owns one reference to a COM object.
template <class Interface>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (object_) object_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  Interface** put() { return &object_; }
  Interface* get() const { return object_; }
  Interface* operator->() const { return object_; }

 private:
  Interface* object_ = nullptr;
};

void CheckResult(HRESULT result, const char* failedCall) {
  if (FAILED(result)) throw RuntimeError(ErrorNumber::InvalidPicture, failedCall);
}

// The process's imaging factory, made on first use on the window thread and
// kept until the process ends. COM is initialised for that thread here.
IWICImagingFactory& ImagingFactory() {
  static IWICImagingFactory* factory = [] {
    const HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(init) && init != RPC_E_CHANGED_MODE) CheckResult(init, "CoInitializeEx");
    IWICImagingFactory* made = nullptr;
    // The Windows 7 factory: the newer one is missing there without updates.
    CheckResult(::CoCreateInstance(CLSID_WICImagingFactory1, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IWICImagingFactory, reinterpret_cast<void**>(&made)),
                "CoCreateInstance");
    return made;
  }();
  return *factory;
}

}  // namespace

UniqueBitmap CreatePixelBitmap(int width, int height, std::uint32_t** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  UniqueBitmap bitmap(
      ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
  if (!bitmap || !pixels) ThrowLastError("CreateDIBSection");
  *bits = static_cast<std::uint32_t*>(pixels);
  return bitmap;
}

UniqueBitmap DecodeImage(std::span<const std::uint8_t> encoded) {
  IWICImagingFactory& factory = ImagingFactory();
  ComRef<IWICStream> stream;
  CheckResult(factory.CreateStream(stream.put()), "IWICImagingFactory::CreateStream");
  // WIC reads the bytes in place and never writes them.
  CheckResult(stream->InitializeFromMemory(const_cast<BYTE*>(encoded.data()),
                                           static_cast<DWORD>(encoded.size())),
              "IWICStream::InitializeFromMemory");
  ComRef<IWICBitmapDecoder> decoder;
  CheckResult(factory.CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                              decoder.put()),
              "IWICImagingFactory::CreateDecoderFromStream");
  ComRef<IWICBitmapFrameDecode> frame;
  CheckResult(decoder->GetFrame(0, frame.put()), "IWICBitmapDecoder::GetFrame");
  ComRef<IWICFormatConverter> converter;
  CheckResult(factory.CreateFormatConverter(converter.put()),
              "IWICImagingFactory::CreateFormatConverter");
  CheckResult(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGR,
                                    WICBitmapDitherTypeNone, nullptr, 0.0,
                                    WICBitmapPaletteTypeCustom),
              "IWICFormatConverter::Initialize");
  UINT width = 0;
  UINT height = 0;
  CheckResult(converter->GetSize(&width, &height), "IWICBitmapSource::GetSize");
  if (width == 0 || height == 0 || width > 16384 || height > 16384) {
    throw RuntimeError(ErrorNumber::InvalidPicture, "IWICBitmapSource::GetSize");
  }
  std::uint32_t* bits = nullptr;
  UniqueBitmap bitmap = CreatePixelBitmap(static_cast<int>(width), static_cast<int>(height), &bits);
  const UINT stride = width * 4;
  CheckResult(converter->CopyPixels(nullptr, stride, stride * height,
                                    reinterpret_cast<BYTE*>(bits)),
              "IWICBitmapSource::CopyPixels");
  return bitmap;
}

}  // namespace rt

#include "tests/e2e/art_picture.h"

#include <objbase.h>
#include <wincodec.h>

#include <stdexcept>

#include "runtime/core/art_scale.h"
#include "tests/e2e/fixture_paths.h"

namespace e2e {
namespace {

void Check(HRESULT result, const char* what) {
  if (FAILED(result)) throw std::runtime_error(std::string("ArtPicture: ") + what + " failed");
}

template <class Interface>
struct Released {
  Interface* object = nullptr;
  ~Released() {
    if (object) object->Release();
  }
};

}  // namespace

ArtPicture::ArtPicture(const std::wstring& path) {
  const HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(init) && init != RPC_E_CHANGED_MODE) Check(init, "CoInitializeEx");
  Released<IWICImagingFactory> factory;
  Check(::CoCreateInstance(CLSID_WICImagingFactory1, nullptr, CLSCTX_INPROC_SERVER,
                           IID_IWICImagingFactory, reinterpret_cast<void**>(&factory.object)),
        "CoCreateInstance");
  Released<IWICBitmapDecoder> decoder;
  Check(factory.object->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, &decoder.object),
        "CreateDecoderFromFilename");
  Released<IWICBitmapFrameDecode> frame;
  Check(decoder.object->GetFrame(0, &frame.object), "GetFrame");
  Released<IWICFormatConverter> converter;
  Check(factory.object->CreateFormatConverter(&converter.object), "CreateFormatConverter");
  Check(converter.object->Initialize(frame.object, GUID_WICPixelFormat32bppBGR,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom),
        "IWICFormatConverter::Initialize");
  UINT width = 0;
  UINT height = 0;
  Check(converter.object->GetSize(&width, &height), "GetSize");
  width_ = static_cast<int>(width);
  height_ = static_cast<int>(height);
  pixels_.resize(static_cast<std::size_t>(width) * height);
  Check(converter.object->CopyPixels(nullptr, width * 4, width * height * 4,
                                     reinterpret_cast<BYTE*>(pixels_.data())),
        "CopyPixels");
}

COLORREF ArtPicture::Pixel(int x, int y) const {
  const std::uint32_t p = pixels_.at(static_cast<std::size_t>(y) * width_ + x);
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

std::wstring ArtPath(const std::wstring& folder, const std::wstring& name, int percent) {
  if (percent == 100) return SourceFile(L"assets\\" + folder + L"\\" + name + L".bmp");
  const std::wstring extension = name == L"cover" ? L".jpg" : L".png";
  return SourceFile(L"assets\\" + folder + L"\\" + std::to_wstring(percent) + L"\\" + name +
                    extension);
}

bool IsArtScale(int dpi) { return rt::DpiOfArtScale(rt::ArtScaleFor(dpi)) == dpi; }

ArtPicture ArtForDpi(const std::wstring& folder, const std::wstring& name, int dpi) {
  ArtPicture drawn(ArtPath(folder, name, rt::ArtScaleFor(dpi)));
  if (IsArtScale(dpi)) return drawn;
  const ArtPicture layout(ArtPath(folder, name, 100));
  const int width = rt::ArtPixels(layout.width(), dpi);
  const int height = rt::ArtPixels(layout.height(), dpi);
  std::vector<std::uint32_t> source;
  for (int y = 0; y < drawn.height(); ++y) {
    for (int x = 0; x < drawn.width(); ++x) {
      const COLORREF c = drawn.Pixel(x, y);
      source.push_back(static_cast<std::uint32_t>(GetRValue(c) << 16 | GetGValue(c) << 8 |
                                                  GetBValue(c)));
    }
  }
  std::vector<std::uint32_t> reduced(static_cast<std::size_t>(width) * height);
  rt::ResampleByArea(source, drawn.width(), drawn.height(), reduced, width, height);
  return ArtPicture(width, height, std::move(reduced));
}

}  // namespace e2e

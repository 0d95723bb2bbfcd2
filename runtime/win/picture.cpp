#include "runtime/win/picture.h"

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "runtime/core/art_scale.h"
#include "runtime/win/art_decoder.h"
#include "runtime/win/drawing_resources.h"
#include "runtime/win/win_error.h"

namespace rt {
namespace {

// The bytes of resource (type, id); resources live as long as the module.
std::span<const std::uint8_t> ResourceData(const wchar_t* type, ResourceId id) {
  const HMODULE module = ::GetModuleHandleW(nullptr);
  const HRSRC found = Check(::FindResourceW(module, MAKEINTRESOURCEW(id), type), "FindResourceW");
  const HGLOBAL loaded = Check(::LoadResource(module, found), "LoadResource");
  const auto* data =
      static_cast<const std::uint8_t*>(Check(::LockResource(loaded), "LockResource"));
  return {data, Check(::SizeofResource(module, found), "SizeofResource")};
}

// Width and height of the bitmap resource `id`, read from its header.
SIZE LayoutSize(ResourceId id) {
  const std::span<const std::uint8_t> data = ResourceData(RT_BITMAP, id);
  BITMAPINFOHEADER header{};
  if (data.size() < sizeof header) throw RuntimeError(ErrorNumber::InvalidPicture, "LayoutSize");
  std::memcpy(&header, data.data(), sizeof header);
  return {header.biWidth, header.biHeight < 0 ? -header.biHeight : header.biHeight};
}

Picture BitmapResource(ResourceId id) {
  Picture picture;
  picture.bitmap.reset(static_cast<HBITMAP>(Check(
      ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0,
                   LR_CREATEDIBSECTION),
      "LoadImageW")));
  BITMAP info{};
  Check(::GetObjectW(picture.bitmap.get(), sizeof info, &info), "GetObjectW");
  picture.size = {info.bmWidth, info.bmHeight};
  return picture;
}

Picture CompressedDrawing(ResourceId id, int percent) {
  const std::wstring type = L"ART" + std::to_wstring(percent);
  Picture picture;
  picture.bitmap = DecodeImage(ResourceData(type.c_str(), id));
  BITMAP info{};
  Check(::GetObjectW(picture.bitmap.get(), sizeof info, &info), "GetObjectW");
  picture.size = {info.bmWidth, info.bmHeight};
  return picture;
}

Picture Resized(const Picture& drawn, SIZE size) {
  std::vector<std::uint32_t> source(static_cast<std::size_t>(drawn.size.cx) * drawn.size.cy);
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = drawn.size.cx;
  format.bmiHeader.biHeight = -drawn.size.cy;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  const HDC screen = Check(::GetDC(nullptr), "GetDC");
  const int rows = ::GetDIBits(screen, drawn.bitmap.get(), 0, static_cast<UINT>(drawn.size.cy),
                               source.data(), &format, DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  if (rows != drawn.size.cy) ThrowLastError("GetDIBits");
  Picture resized;
  std::uint32_t* bits = nullptr;
  resized.bitmap = CreatePixelBitmap(size.cx, size.cy, &bits);
  resized.size = size;
  ResampleByArea(source, drawn.size.cx, drawn.size.cy,
                 std::span<std::uint32_t>(bits, static_cast<std::size_t>(size.cx) * size.cy),
                 size.cx, size.cy);
  return resized;
}

}  // namespace

Picture LoadPicture(ResourceId id, int dpi) {
  if (id == 0) return Picture{};
  const int percent = ArtScaleFor(dpi);
  Picture drawn =
      percent == kArtScales.front() ? BitmapResource(id) : CompressedDrawing(id, percent);
  const SIZE layout = LayoutSize(id);
  const SIZE wanted{ArtPixels(layout.cx, dpi), ArtPixels(layout.cy, dpi)};
  if (wanted.cx == drawn.size.cx && wanted.cy == drawn.size.cy) return drawn;
  return Resized(drawn, wanted);
}

UniqueIcon LoadIconResource(ResourceId id, int size) {
  return UniqueIcon(static_cast<HICON>(Check(
      ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0),
      "LoadImageW")));
}

bool DrawBitmap(HDC dc, HBITMAP bitmap, int x, int y) {
  if (!bitmap) return true;
  BITMAP info{};
  if (!::GetObjectW(bitmap, sizeof info, &info)) return false;
  UniqueMemoryDc source(CreateDrawingDc(dc));
  if (!source) return false;
  SelectScope select(source.get(), bitmap);
  return ::BitBlt(dc, x, y, info.bmWidth, info.bmHeight, source.get(), 0, 0, SRCCOPY) != 0;
}

}  // namespace rt

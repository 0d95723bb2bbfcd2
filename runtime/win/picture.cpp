#include "runtime/win/picture.h"

#include "runtime/win/win_error.h"

namespace rt {

Picture LoadPicture(ResourceId id) {
  Picture picture;
  if (id == 0) return picture;
  picture.bitmap.reset(static_cast<HBITMAP>(Check(
      ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0,
                   LR_CREATEDIBSECTION),
      "LoadImageW")));
  BITMAP info{};
  Check(::GetObjectW(picture.bitmap.get(), sizeof info, &info), "GetObjectW");
  picture.size = {info.bmWidth, info.bmHeight};
  return picture;
}

UniqueIcon LoadIconResource(ResourceId id, int size) {
  return UniqueIcon(static_cast<HICON>(Check(
      ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0),
      "LoadImageW")));
}

void DrawBitmap(HDC dc, HBITMAP bitmap, int x, int y) {
  BITMAP info{};
  if (!bitmap || !::GetObjectW(bitmap, sizeof info, &info)) return;
  UniqueMemoryDc source(::CreateCompatibleDC(dc));
  if (!source) return;
  SelectScope select(source.get(), bitmap);
  ::BitBlt(dc, x, y, info.bmWidth, info.bmHeight, source.get(), 0, 0, SRCCOPY);
}

}  // namespace rt

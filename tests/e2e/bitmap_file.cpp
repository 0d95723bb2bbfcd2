#include "tests/e2e/bitmap_file.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace e2e {

BitmapFile::BitmapFile(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  if (bytes.size() < sizeof file + sizeof info) throw std::runtime_error("not a BMP file");
  std::memcpy(&file, bytes.data(), sizeof file);
  std::memcpy(&info, bytes.data() + sizeof file, sizeof info);
  if (file.bfType != 0x4D42 || info.biBitCount != 24 || info.biCompression != BI_RGB) {
    throw std::runtime_error("not a 24-bit uncompressed BMP");
  }
  width_ = info.biWidth;
  height_ = info.biHeight < 0 ? -info.biHeight : info.biHeight;
  bottomUp_ = info.biHeight > 0;
  stride_ = (static_cast<std::size_t>(width_) * 3 + 3) & ~std::size_t{3};
  if (file.bfOffBits > bytes.size() || bytes.size() - file.bfOffBits < stride_ * height_) {
    throw std::runtime_error("BMP pixel data truncated");
  }
  pixels_.assign(bytes.begin() + file.bfOffBits, bytes.begin() + file.bfOffBits + stride_ * height_);
}

COLORREF BitmapFile::Pixel(int x, int y) const {
  const int row = bottomUp_ ? height_ - 1 - y : y;
  const std::uint8_t* p = &pixels_[static_cast<std::size_t>(row) * stride_ + x * 3];
  return RGB(p[2], p[1], p[0]);
}

}  // namespace e2e

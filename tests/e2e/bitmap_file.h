// Reads the 24-bit uncompressed BMP files of the artwork, so that the tests
// compare what the programs draw with the pictures they were built from.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

class BitmapFile {
 public:
  // Throws std::runtime_error unless `path` is a 24-bit uncompressed BMP.
  explicit BitmapFile(const std::wstring& path);

  int width() const { return width_; }
  int height() const { return height_; }
  // Pixel at (x, y), (0, 0) being the top-left corner.
  COLORREF Pixel(int x, int y) const;

 private:
  int width_ = 0;
  int height_ = 0;
  bool bottomUp_ = true;
  std::size_t stride_ = 0;
  std::vector<std::uint8_t> pixels_;
};

}  // namespace e2e

#include "tools/mp3check/tag_bytes.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>

namespace mp3check {
namespace {

constexpr std::uint64_t kId3v2HeaderLength = 10;
constexpr std::uint64_t kId3v1Length = 128;
constexpr std::uint64_t kApeFooterLength = 32;

// Reads `bytes.size()` bytes at `offset`; false when the file is shorter.
template <std::size_t N>
bool ReadAt(std::ifstream& in, std::uint64_t offset, std::array<unsigned char, N>& bytes) {
  in.clear();
  in.seekg(static_cast<std::streamoff>(offset));
  in.read(reinterpret_cast<char*>(bytes.data()), N);
  return in.gcount() == static_cast<std::streamsize>(N);
}

std::uint32_t LittleEndian32(const unsigned char* p) {
  return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
}

// Length of the ID3v2 tags, one after another, from `offset`.
std::uint64_t LeadingId3v2(std::ifstream& in, std::uint64_t offset, std::uint64_t size) {
  const std::uint64_t start = offset;
  std::array<unsigned char, kId3v2HeaderLength> header{};
  while (offset < size && ReadAt(in, offset, header) && std::memcmp(header.data(), "ID3", 3) == 0) {
    std::uint64_t length = 0;
    for (std::size_t i = 6; i < 10; ++i) length = (length << 7) | (header[i] & 0x7F);
    const bool hasFooter = header[3] == 4 && (header[5] & 0x10) != 0;
    offset += kId3v2HeaderLength + length + (hasFooter ? kId3v2HeaderLength : 0);
  }
  return std::min(offset, size) - start;
}

// Length of an ID3v1 tag ending at `end`, or 0.
std::uint64_t Id3v1Ending(std::ifstream& in, std::uint64_t start, std::uint64_t end) {
  std::array<unsigned char, 3> tag{};
  if (end - start < kId3v1Length || !ReadAt(in, end - kId3v1Length, tag)) return 0;
  return std::memcmp(tag.data(), "TAG", 3) == 0 ? kId3v1Length : 0;
}

// Length of an APE tag (footer, items and optional header) ending at `end`, or 0.
std::uint64_t ApeEnding(std::ifstream& in, std::uint64_t start, std::uint64_t end) {
  std::array<unsigned char, kApeFooterLength> footer{};
  if (end - start < kApeFooterLength || !ReadAt(in, end - kApeFooterLength, footer)) return 0;
  if (std::memcmp(footer.data(), "APETAGEX", 8) != 0) return 0;
  const bool hasHeader = (LittleEndian32(&footer[20]) & (1u << 31)) != 0;
  const std::uint64_t length = LittleEndian32(&footer[12]) + (hasHeader ? kApeFooterLength : 0);
  return std::clamp(length, kApeFooterLength, end - start);
}

}  // namespace

TagBytes FindTags(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  in.seekg(0, std::ios::end);
  const std::uint64_t size = static_cast<std::uint64_t>(in.tellg());
  const std::uint64_t start = LeadingId3v2(in, 0, size);
  std::uint64_t end = size;
  // An ID3v1 tag is the very last thing; an APE tag precedes it or ends the file.
  end -= Id3v1Ending(in, start, end);
  end -= ApeEnding(in, start, end);
  return {start, size - end};
}

}  // namespace mp3check

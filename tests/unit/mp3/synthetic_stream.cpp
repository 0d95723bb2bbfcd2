#include "synthetic_stream.h"

#include <algorithm>

namespace mp3::test {
namespace {

void PutLittleEndian32(Bytes& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

Bytes ApeHeaderOrFooter(std::uint32_t itemsLength, bool isHeader) {
  Bytes out = {'A', 'P', 'E', 'T', 'A', 'G', 'E', 'X'};
  PutLittleEndian32(out, 2000);
  PutLittleEndian32(out, itemsLength + 32);
  PutLittleEndian32(out, 1);
  PutLittleEndian32(out, (1u << 31) | (isHeader ? (1u << 29) : 0));
  out.resize(out.size() + 8, 0);
  return out;
}

}  // namespace

Bytes Frames(const HeaderBytes& header, std::size_t length, std::size_t count) {
  Bytes out;
  for (std::size_t i = 0; i < count; ++i) {
    out.insert(out.end(), header.begin(), header.end());
    out.resize(out.size() + length - header.size(), 0);
  }
  return out;
}

Bytes Id3v2(std::uint8_t version, std::uint8_t flags, std::uint32_t declaredSize, const Bytes& body,
            bool withFooter) {
  Bytes out = {'I', 'D', '3', version, 0, flags};
  for (int shift = 21; shift >= 0; shift -= 7) out.push_back(static_cast<std::uint8_t>((declaredSize >> shift) & 0x7F));
  const Bytes header = out;
  out.insert(out.end(), body.begin(), body.end());
  if (withFooter) {
    out.insert(out.end(), {'3', 'D', 'I'});
    out.insert(out.end(), header.begin() + 3, header.end());
  }
  return out;
}

Bytes ApeTag(const Bytes& items) {
  const auto length = static_cast<std::uint32_t>(items.size());
  return Concat({ApeHeaderOrFooter(length, true), items, ApeHeaderOrFooter(length, false)});
}

Bytes Id3v1() {
  Bytes out = {'T', 'A', 'G'};
  out.resize(128, ' ');
  return out;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

Bytes WithInfoHeader(Bytes frame, std::size_t offset, std::string_view text, std::size_t countOffset,
                     std::uint32_t count) {
  std::copy(text.begin(), text.end(), frame.begin() + static_cast<std::ptrdiff_t>(offset));
  for (int i = 0; i < 4; ++i) frame[countOffset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(count >> (24 - 8 * i));
  return frame;
}

}  // namespace mp3::test

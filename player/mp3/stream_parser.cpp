#include "player/mp3/stream_parser.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace mp3 {
namespace {

constexpr std::size_t kId3HeaderLength = 10;
constexpr std::size_t kId3v1Length = 128;
constexpr std::size_t kApeHeaderLength = 32;
// Enough bytes to recognise any tag header at the scan position.
constexpr std::size_t kLookahead = kApeHeaderLength;

bool StartsWith(std::span<const std::uint8_t> bytes, std::string_view prefix) {
  return bytes.size() >= prefix.size() && std::memcmp(bytes.data(), prefix.data(), prefix.size()) == 0;
}

// True when `bytes`, shorter than `prefix` at the end of the input, may still
// grow into it.
bool CouldStartWith(std::span<const std::uint8_t> bytes, std::string_view prefix) {
  const std::size_t n = std::min(bytes.size(), prefix.size());
  return std::memcmp(bytes.data(), prefix.data(), n) == 0;
}

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

std::uint32_t LittleEndian32(const std::uint8_t* p) {
  return (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
}

// Whole length of the ID3v2 tag whose 10-byte header starts `bytes`, footer
// included; empty when the header is not valid (versions 2 to 4, size bytes
// syncsafe).
std::optional<std::uint64_t> Id3v2Length(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kId3HeaderLength || !StartsWith(bytes, "ID3")) return std::nullopt;
  if (bytes[3] < 2 || bytes[3] > 4 || bytes[4] == 0xFF) return std::nullopt;
  std::uint64_t size = 0;
  for (std::size_t i = 6; i < 10; ++i) {
    if (bytes[i] & 0x80) return std::nullopt;
    size = (size << 7) | bytes[i];
  }
  const bool hasFooter = bytes[3] == 4 && (bytes[5] & 0x10) != 0;
  return kId3HeaderLength + size + (hasFooter ? kId3HeaderLength : 0);
}

// Whole length of the APE tag whose 32-byte header or footer starts `bytes`:
// a header announces the items and footer after it; a footer ends the tag.
std::optional<std::uint64_t> ApeTagLength(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kApeHeaderLength || !StartsWith(bytes, "APETAGEX")) return std::nullopt;
  const std::uint32_t size = LittleEndian32(&bytes[12]);
  const bool isHeader = (LittleEndian32(&bytes[20]) & (1u << 29)) != 0;
  return isHeader ? kApeHeaderLength + std::uint64_t{size} : kApeHeaderLength;
}

// When `frame` is a Xing, Info or VBRI header frame, its declared frame count
// (or 0 when it declares none); empty for an audio frame. A Xing or Info tag
// follows the side information; in a CRC-protected frame encoders put it
// either after the CRC or where it would be without one (lame does).
std::optional<std::uint32_t> InfoFrameCount(const Frame& frame) {
  const auto bytes = frame.bytes;
  const std::size_t withoutCrc = kHeaderLength + frame.header.SideInfoLength();
  const auto withCrc = static_cast<std::size_t>(frame.header.SideInfoOffset() + frame.header.SideInfoLength());
  for (const std::size_t xing : {withCrc, withoutCrc}) {
    const auto atXing = bytes.subspan(std::min(xing, bytes.size()));
    if (StartsWith(atXing, "Xing") || StartsWith(atXing, "Info")) {
      if (atXing.size() >= 12 && (BigEndian32(&atXing[4]) & 0x01) != 0) return BigEndian32(&atXing[8]);
      return 0u;
    }
  }
  constexpr std::size_t kVbriOffset = kHeaderLength + 32;
  const auto atVbri = bytes.subspan(std::min(kVbriOffset, bytes.size()));
  if (StartsWith(atVbri, "VBRI")) return atVbri.size() >= 18 ? BigEndian32(&atVbri[14]) : 0u;
  return std::nullopt;
}

// A first frame must not have the reserved emphasis. The field does not
// change decoding and never decides whether a frame of an established
// stream plays, but at the first sync it rules out a quarter of the false
// syncs that junk holds.
bool CanStartStream(const FrameHeader& header) { return header.emphasis != kReservedEmphasis; }

}  // namespace

void StreamParser::Feed(std::span<const std::uint8_t> bytes) {
  const std::size_t dropped = static_cast<std::size_t>(std::min<std::uint64_t>(skip_, bytes.size()));
  skip_ -= dropped;
  bytes = bytes.subspan(dropped);
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(pos_));
  pos_ = 0;
  buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

void StreamParser::Finish() { finished_ = true; }

void StreamParser::Consume(std::uint64_t count) {
  const std::size_t here = static_cast<std::size_t>(std::min<std::uint64_t>(count, buffered()));
  pos_ += here;
  skip_ += count - here;
}

bool StreamParser::SkipTag(std::span<const std::uint8_t> rest) {
  auto length = Id3v2Length(rest);
  if (!length) length = ApeTagLength(rest);
  if (!length && finished_ && rest.size() == kId3v1Length && StartsWith(rest, "TAG")) length = kId3v1Length;
  if (!length) return false;
  Consume(*length);
  metadata_ += *length;
  sync_.reset();
  return true;
}

std::optional<int> StreamParser::FreeFormatLength(const FrameHeader& header, std::span<const std::uint8_t> rest) {
  // Without its padding a frame still holds its header, CRC and side information.
  const auto first =
      static_cast<std::size_t>(header.SideInfoOffset() + header.SideInfoLength() + header.padding);
  // With padding a frame is still at most kMaxFrameLength bytes long.
  const std::size_t last = std::min(rest.size() - std::min(rest.size(), kHeaderLength),
                                    static_cast<std::size_t>(kMaxFrameLength - 1 + header.padding));
  for (std::size_t at = first; at <= last; ++at) {
    const auto next = ParseHeader(rest.subspan(at));
    if (next && SameStream(header, *next) && next->hasCrc == header.hasCrc) {
      return static_cast<int>(at) - header.padding;
    }
  }
  return std::nullopt;
}

StreamParser::Successor StreamParser::CheckSuccessor(const FrameHeader& header,
                                                     std::span<const std::uint8_t> after) const {
  if (after.size() < kHeaderLength) {
    if (!finished_) return Successor::NeedMore;
    // The stream ends inside what would be the next header: only a frame of
    // an established stream may end it.
    return sync_ ? Successor::Confirms : Successor::Rejects;
  }
  const auto next = ParseHeader(after);
  if (next && SameStream(header, *next)) return Successor::Confirms;
  if (!sync_) return Successor::Rejects;
  for (const std::string_view tag : {"TAG", "ID3", "APETAGEX"}) {
    if (StartsWith(after, tag)) return Successor::Confirms;
    if (!finished_ && after.size() < tag.size() && CouldStartWith(after, tag)) return Successor::NeedMore;
  }
  return Successor::Rejects;
}

std::optional<Frame> StreamParser::Next() {
  for (;;) {
    const std::span<const std::uint8_t> rest(buffer_.data() + pos_, buffered());
    if (rest.empty() || (!finished_ && rest.size() < kLookahead)) return std::nullopt;
    // An ID3v1 tag is recognised only as the last bytes of the stream.
    if (!finished_ && rest.size() <= kId3v1Length && StartsWith(rest, "TAG")) return std::nullopt;
    if (SkipTag(rest)) continue;

    auto header = ParseHeader(rest);
    if (!header || (sync_ ? !SameStream(*sync_, *header) : !CanStartStream(*header))) {
      sync_.reset();
      ++pos_;
      continue;
    }
    if (header->freeFormat) {
      if (!sync_) {
        if (!finished_ && rest.size() < kMaxFrameLength + kHeaderLength) return std::nullopt;
        const auto found = FreeFormatLength(*header, rest);
        if (!found) {
          freeFormatWithoutLength_ = true;
          ++pos_;
          continue;
        }
        freeFormatLength_ = *found;
      }
      header->frameLength = freeFormatLength_ + header->padding;
    }
    const auto length = static_cast<std::size_t>(header->frameLength);
    if (rest.size() < length) {
      if (!finished_) return std::nullopt;
      sync_.reset();  // cut off by the end of the stream
      ++pos_;
      continue;
    }
    const Successor successor = CheckSuccessor(*header, rest.subspan(length));
    if (successor == Successor::NeedMore) return std::nullopt;
    if (successor == Successor::Rejects) {
      sync_.reset();
      ++pos_;
      continue;
    }

    const Frame frame{*header, rest.first(length)};
    sync_ = header;
    pos_ += length;
    if (!audioSeen_) {
      if (const auto declared = InfoFrameCount(frame)) {
        declaredFrames_ = *declared;
        metadata_ += length;
        continue;
      }
    }
    audioSeen_ = true;
    return frame;
  }
}

}  // namespace mp3

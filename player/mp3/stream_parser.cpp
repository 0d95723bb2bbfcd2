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

// A tag found at the scan position: its bytes from there on, and those it
// claims before there (a footer-only APE tag's items).
struct Tag {
  std::uint64_t length = 0;
  std::uint64_t before = 0;
};

struct TagAt {
  bool needMore = false;  // the bytes may start a tag; more are needed to tell
  std::optional<Tag> tag;
};

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

// The APE tag whose 32-byte header or footer starts `bytes`; empty when the
// block is not valid (version 1000 or 2000, only version 2000 with a header,
// a size that holds the footer, reserved bytes zero). The size field counts
// the items and the footer: a header announces them after it, so the tag
// runs on past it; a footer ends the tag, whose items (and header, if it
// has one) came before it.
std::optional<Tag> ApeTag(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kApeHeaderLength || !StartsWith(bytes, "APETAGEX")) return std::nullopt;
  const std::uint32_t version = LittleEndian32(&bytes[8]);
  const std::uint32_t size = LittleEndian32(&bytes[12]);
  const std::uint32_t flags = LittleEndian32(&bytes[20]);
  const bool hasHeader = (flags & (1u << 31)) != 0;
  const bool isHeader = (flags & (1u << 29)) != 0;
  if ((version != 1000 && version != 2000) || ((hasHeader || isHeader) && version != 2000)) return std::nullopt;
  const bool reservedClear = LittleEndian32(&bytes[24]) == 0 && LittleEndian32(&bytes[28]) == 0;
  if (size < kApeHeaderLength || !reservedClear) return std::nullopt;
  if (isHeader) return Tag{kApeHeaderLength + std::uint64_t{size}, 0};
  return Tag{kApeHeaderLength, size - kApeHeaderLength + (hasHeader ? kApeHeaderLength : 0)};
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

// Frames that must each be followed by a header of the same stream before a
// stream may start at a frame with `header`; 0 when no stream may start
// there. A free-format frame's length is the distance to the next header,
// which any two headers in junk give: a second frame of that length shows
// that it is a stream. The emphasis does not change decoding and never
// decides whether a frame of an established stream plays, but few streams
// carry the reserved value, so a first frame that has it is more likely a
// false sync in junk and needs more frames after it to show that it is not;
// with free format, a run of headers at equal distances in junk would pass,
// so none may start there.
int FramesToStart(const FrameHeader& header) {
  if (header.emphasis == kReservedEmphasis) return header.freeFormat ? 0 : StreamParser::kReservedEmphasisRun;
  return header.freeFormat ? 2 : 1;
}

// The one tag reader: the ID3v2 or APE tag at the start of `rest`, or the
// ID3v1 tag that `rest` is when the stream ends with it.
TagAt ReadTag(std::span<const std::uint8_t> rest, bool finished) {
  // Every tag starts with 'I' (ID3), 'A' (APETAGEX) or 'T' (TAG). The parser
  // asks at every byte of junk, so any other byte is ruled out here without
  // comparing strings.
  if (!rest.empty() && rest[0] != 'I' && rest[0] != 'A' && rest[0] != 'T') return {};
  // Too few bytes yet to read a tag's header, or to know that an ID3v1 tag
  // ends the stream.
  if (!finished && ((rest.size() < kId3HeaderLength && CouldStartWith(rest, "ID3")) ||
                    (rest.size() < kApeHeaderLength && CouldStartWith(rest, "APETAGEX")) ||
                    (rest.size() <= kId3v1Length && CouldStartWith(rest, "TAG")))) {
    return {true, std::nullopt};
  }
  if (const auto length = Id3v2Length(rest)) return {false, Tag{*length, 0}};
  if (const auto ape = ApeTag(rest)) return {false, ape};
  if (finished && rest.size() == kId3v1Length && StartsWith(rest, "TAG")) return {false, Tag{kId3v1Length, 0}};
  return {};
}

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

void StreamParser::SkipTag(std::uint64_t length, std::uint64_t before) {
  Consume(length);
  // The tag's bytes before here were passed over as junk; it is credited
  // with no more of them than that.
  metadata_ += length + std::min(before, junkRun_);
  junkRun_ = 0;
  sync_.reset();
}

void StreamParser::SkipByte() {
  sync_.reset();
  ++pos_;
  ++junkRun_;
  junkSeen_ = true;
}

std::optional<int> StreamParser::FreeFormatLength(const FrameHeader& header, std::span<const std::uint8_t> rest) {
  // Without its padding a frame still holds its header, CRC and side information.
  const auto first =
      static_cast<std::size_t>(header.SideInfoOffset() + header.SideInfoLength() + header.padding);
  // With padding a frame is still at most kMaxFrameLength bytes long.
  const std::size_t last = std::min(rest.size() - std::min(rest.size(), kHeaderLength),
                                    static_cast<std::size_t>(kMaxFrameLength - 1 + header.padding));
  for (std::size_t at = first; at <= last; ++at) {
    // Only a 0xFF byte can start a header: on to the next one.
    const void* sync = std::memchr(rest.data() + at, 0xFF, last + 1 - at);
    if (sync == nullptr) break;
    at = static_cast<std::size_t>(static_cast<const std::uint8_t*>(sync) - rest.data());
    const auto next = ParseHeader(rest.subspan(at));
    if (next && SameStream(header, *next) && next->hasCrc == header.hasCrc) {
      return static_cast<int>(at) - header.padding;
    }
  }
  return std::nullopt;
}

StreamParser::Successor StreamParser::CheckSuccessor(const FrameHeader& header,
                                                     std::span<const std::uint8_t> after) const {
  // The stream may end inside what would be the next header.
  if (after.size() < kHeaderLength) return finished_ ? Successor::Confirms : Successor::NeedMore;
  const auto next = ParseHeader(after);
  if (next && SameStream(header, *next)) return Successor::Confirms;
  const TagAt tag = ReadTag(after, finished_);
  if (tag.needMore) return Successor::NeedMore;
  return tag.tag ? Successor::Confirms : Successor::Rejects;
}

StreamParser::Successor StreamParser::CheckStart(const FrameHeader& first, std::span<const std::uint8_t> rest) const {
  const int frames = FramesToStart(first);
  if (frames == 0) return Successor::Rejects;
  FrameHeader header = first;
  std::size_t end = 0;
  for (int frame = 0; frame < frames; ++frame) {
    end += static_cast<std::size_t>(header.frameLength);
    if (rest.size() < end + kHeaderLength) return finished_ ? Successor::Rejects : Successor::NeedMore;
    const auto next = ParseHeader(rest.subspan(end));
    if (!next || !SameStream(first, *next)) return Successor::Rejects;
    header = *next;
    if (header.freeFormat) header.frameLength = freeFormatLength_ + header.padding;
  }
  return Successor::Confirms;
}

std::optional<Frame> StreamParser::Next() {
  for (;;) {
    const std::span<const std::uint8_t> rest(buffer_.data() + pos_, buffered());
    if (rest.empty() || (!finished_ && rest.size() < kLookahead)) return std::nullopt;
    const TagAt tag = ReadTag(rest, finished_);
    if (tag.needMore) return std::nullopt;
    if (tag.tag) {
      SkipTag(tag.tag->length, tag.tag->before);
      continue;
    }

    auto header = ParseHeader(rest);
    if (!header || (sync_ && !SameStream(*sync_, *header))) {
      SkipByte();
      continue;
    }
    if (header->freeFormat) {
      if (!sync_) {
        if (!finished_ && rest.size() < kMaxFrameLength + kHeaderLength) return std::nullopt;
        const auto found = FreeFormatLength(*header, rest);
        if (!found) {
          // Only a header that starts the stream's audio is taken for the
          // start of a free-format stream: anywhere else it is more likely a
          // false sync in junk.
          if (!audioSeen_ && !junkSeen_) freeFormatWithoutLength_ = true;
          SkipByte();
          continue;
        }
        freeFormatLength_ = *found;
      }
      header->frameLength = freeFormatLength_ + header->padding;
      // The length was found between frames without a CRC or between frames
      // with one; a frame of the other kind may be too short for its own.
      if (header->frameLength < header->SideInfoOffset() + header->SideInfoLength()) {
        SkipByte();
        continue;
      }
    }
    const auto length = static_cast<std::size_t>(header->frameLength);
    if (rest.size() < length) {
      if (!finished_) return std::nullopt;
      SkipByte();  // cut off by the end of the stream
      continue;
    }
    const Successor successor = sync_ ? CheckSuccessor(*header, rest.subspan(length)) : CheckStart(*header, rest);
    if (successor == Successor::NeedMore) return std::nullopt;
    if (successor == Successor::Rejects) {
      SkipByte();
      continue;
    }

    const Frame frame{*header, rest.first(length)};
    sync_ = header;
    pos_ += length;
    junkRun_ = 0;
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

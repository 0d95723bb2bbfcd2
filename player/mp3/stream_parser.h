// Splits an MPEG audio Layer III byte stream into whole frames, skipping
// tags and junk, while holding only a bounded window of the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "player/mp3/frame_header.h"

namespace mp3 {

struct Frame {
  FrameHeader header;
  // The whole frame, header included. Valid until the next call to Feed,
  // Finish or Next on the parser that returned it.
  std::span<const std::uint8_t> bytes;
};

// Fed the stream in chunks of any size, yields its audio frames in order.
// A frame is accepted only when the next header matches it (same version,
// sample rate and channel count), a valid tag follows it, or the stream ends
// right after it while sync is established; anything else is skipped a byte
// at a time until two matching headers are found again. A free-format
// frame's length is found when sync is found: the distance to the next
// header of the same stream less the frame's padding, so that a padded frame
// is at most kMaxFrameLength bytes; a second frame of that length must lead
// to a header too, and the length then holds, with each frame's padding,
// until sync is lost. A first frame with the reserved emphasis needs
// kReservedEmphasisRun frames that each lead to a matching header, and
// cannot be of free format. ID3v2 tags
// and headed APE tags are skipped by their declared size without being
// buffered, and an ID3v1 tag in the last 128 bytes likewise; an APE tag
// without a header is found by its footer, after its items were passed over;
// a Xing, Info or VBRI header frame at the start is recorded and not
// yielded; a frame cut off by the end of the stream is dropped.
//
// Memory: call Next until it returns empty before each Feed. The parser then
// keeps at most kMaxHeld bytes beyond the chunk being fed, whatever the
// stream's length or the sizes its tags declare.
class StreamParser {
 public:
  // Frames that must each be followed by a header of the same stream before
  // a stream may start at a frame whose header has the reserved emphasis
  // (and a bitrate from the table).
  static constexpr int kReservedEmphasisRun = 3;
  // The most bytes the window keeps once Next returns empty: the frames that
  // confirm a start, and the next header.
  static constexpr std::size_t kMaxHeld = kReservedEmphasisRun * kMaxFrameLength + kHeaderLength;


  void Feed(std::span<const std::uint8_t> bytes);

  // No more bytes will come: the last frame needs no successor, and a
  // truncated frame at the end is dropped.
  void Finish();

  // The next audio frame, or empty when more input is needed (or, after
  // Finish, when the stream holds no more frames).
  std::optional<Frame> Next();

  // Frame count declared by a Xing, Info or VBRI header, if one was seen.
  std::optional<std::uint32_t> declaredFrames() const { return declaredFrames_; }

  // Bytes of a tag that the parser will discard from future input. A caller
  // that reads a file may take them and seek past them instead of reading
  // them; the parser then expects the input to resume after the tag.
  std::uint64_t TakePendingSkip() { return std::exchange(skip_, 0); }

  // Bytes held in the parser's window, for callers that bound their memory.
  std::size_t buffered() const { return buffer_.size() - pos_; }

  // Bytes of the input taken so far by tags (their declared sizes; a
  // footer-only APE tag's items only as far as they were passed over since
  // the last frame or tag) and by a Xing, Info or VBRI header frame: neither
  // audio nor junk.
  std::uint64_t metadataBytes() const { return metadata_; }

  // True when the stream's audio starts (after its tags only) with a
  // free-format header with no header of the same stream within
  // kMaxFrameLength bytes after it, so its frame length could not be found:
  // it is a single frame, or its frames are longer than the parser takes.
  bool freeFormatWithoutLength() const { return freeFormatWithoutLength_; }

 private:
  enum class Successor { Confirms, Rejects, NeedMore };

  // Passes over a tag of `length` bytes from the scan position on, which
  // claims `before` bytes before it.
  void SkipTag(std::uint64_t length, std::uint64_t before);
  // Passes over one byte of junk and loses sync.
  void SkipByte();
  // Whether what follows a frame of the stream in sync confirms it.
  Successor CheckSuccessor(const FrameHeader& header, std::span<const std::uint8_t> after) const;
  // Whether a stream starts with the frame `rest` begins with.
  Successor CheckStart(const FrameHeader& first, std::span<const std::uint8_t> rest) const;
  std::optional<int> FreeFormatLength(const FrameHeader& header, std::span<const std::uint8_t> rest);
  void Consume(std::uint64_t count);

  std::vector<std::uint8_t> buffer_;
  std::size_t pos_ = 0;        // first unexamined byte of buffer_
  std::uint64_t skip_ = 0;     // bytes of a tag still to discard from input
  bool finished_ = false;
  bool audioSeen_ = false;
  std::optional<FrameHeader> sync_;  // header of the last accepted frame
  int freeFormatLength_ = 0;         // of the free-format stream in sync, padding excluded
  std::optional<std::uint32_t> declaredFrames_;
  std::uint64_t metadata_ = 0;
  std::uint64_t junkRun_ = 0;  // bytes passed over since the last frame or tag
  bool junkSeen_ = false;      // a byte was passed over as junk
  bool freeFormatWithoutLength_ = false;
};

}  // namespace mp3

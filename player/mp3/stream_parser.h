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
// sample rate and channel count), a tag follows it, or the stream ends right
// after it while sync is established; anything else is skipped a byte at a
// time until two matching headers are found again. A free-format frame's
// length is found when sync is found: the distance to the next header of the
// same stream less the frame's padding, so that a padded frame is at most
// kMaxFrameLength bytes; it then holds, with each frame's padding, until
// sync is lost. ID3v2 tags and headed
// APE tags are skipped by their declared size without being buffered, and an
// ID3v1 tag in the last 128 bytes likewise; a Xing, Info or VBRI header frame
// at the start is recorded and not yielded; a frame cut off by the end of the
// stream is dropped.
//
// Memory: call Next until it returns empty before each Feed. The parser then
// keeps at most one frame plus a few bytes of lookahead beyond the chunk being
// fed, whatever the stream's length or the sizes its tags declare.
class StreamParser {
 public:
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

  // Bytes of the input taken so far by tags (their declared sizes) and by a
  // Xing, Info or VBRI header frame: neither audio nor junk.
  std::uint64_t metadataBytes() const { return metadata_; }

  // True once a free-format header was seen with no header of the same
  // stream close enough after it (see above), so its frame length could not
  // be found.
  bool freeFormatWithoutLength() const { return freeFormatWithoutLength_; }

 private:
  enum class Successor { Confirms, Rejects, NeedMore };

  bool SkipTag(std::span<const std::uint8_t> rest);
  Successor CheckSuccessor(const FrameHeader& header, std::span<const std::uint8_t> after) const;
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
  bool freeFormatWithoutLength_ = false;
};

}  // namespace mp3

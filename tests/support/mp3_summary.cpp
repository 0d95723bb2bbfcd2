#include "tests/support/mp3_summary.h"

#include <algorithm>

#include "player/mp3/stream_parser.h"

namespace mp3 {

Summary Summarize(std::span<const std::uint8_t> data, std::size_t chunkSize) {
  if (chunkSize == 0) chunkSize = std::max<std::size_t>(data.size(), 1);
  StreamParser parser;
  Summary summary;
  const auto drain = [&] {
    summary.maxBuffered = std::max(summary.maxBuffered, parser.buffered());
    while (const auto frame = parser.Next()) {
      const FrameHeader& h = frame->header;
      if (summary.frames == 0) {
        summary.sampleRate = h.sampleRate;
        summary.channels = h.channels;
        summary.version = h.version;
      } else if (h.sampleRate != summary.sampleRate || h.channels != summary.channels) {
        summary.uniform = false;
      }
      ++summary.frames;
    }
  };
  for (std::size_t at = 0; at < data.size(); at += chunkSize) {
    parser.Feed(data.subspan(at, std::min(chunkSize, data.size() - at)));
    drain();
  }
  parser.Finish();
  drain();
  summary.declaredFrames = parser.declaredFrames();
  return summary;
}

}  // namespace mp3

#include "tools/mp3check/file_decoder.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "player/mp3/decoder.h"
#include "player/mp3/stream_parser.h"

namespace mp3check {
namespace {

constexpr std::size_t kChunkLength = 16 * 1024;

}  // namespace

FileFacts DecodeFile(const std::filesystem::path& path, const FrameHandler& onFrame) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) throw std::runtime_error("a folder, not a file");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(std::string("cannot open: ") + std::strerror(errno));
  in.seekg(0, std::ios::end);
  FileFacts facts;
  facts.size = static_cast<std::uint64_t>(in.tellg());
  in.seekg(0);

  mp3::StreamParser parser;
  mp3::Decoder decoder;
  std::vector<std::uint8_t> chunk(kChunkLength);
  std::array<float, mp3::kMaxFrameSamples> samples{};
  std::uint64_t position = 0;  // just past the last byte fed or skipped

  const auto drain = [&] {
    while (const auto frame = parser.Next()) {
      const std::size_t count = static_cast<std::size_t>(frame->header.samplesPerFrame) * frame->header.channels;
      const std::span<float> out(samples.data(), count);
      const bool decoded = decoder.Decode(*frame, out);
      const std::uint64_t end = position - parser.buffered();
      onFrame({frame->header, end - frame->bytes.size(), frame->bytes.size(), decoded, out});
    }
  };

  while (position < facts.size) {
    in.read(reinterpret_cast<char*>(chunk.data()), static_cast<std::streamsize>(chunk.size()));
    const std::size_t got = static_cast<std::size_t>(in.gcount());
    if (got == 0) throw std::runtime_error("read error");
    parser.Feed(std::span<const std::uint8_t>(chunk.data(), got));
    position += got;
    drain();
    if (const std::uint64_t skip = parser.TakePendingSkip(); skip > 0) {
      position = std::min(position + skip, facts.size);
      in.clear();
      in.seekg(static_cast<std::streamoff>(position));
    }
  }
  parser.Finish();
  drain();
  facts.declaredFrames = parser.declaredFrames();
  facts.metadataBytes = parser.metadataBytes();
  facts.freeFormatWithoutLength = parser.freeFormatWithoutLength();
  return facts;
}

}  // namespace mp3check

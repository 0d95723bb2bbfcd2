// mp3check: tells whether the player can play an MP3 file, using the
// player's own stream parser and decoder.
//   mp3check [--decode OUT] FILE
// Exit status 0: playable (a mid-file change of sample rate or channel count
// is reported on stderr as a warning). 1: refused, with one line on stderr
// naming the file and the reason. 2: wrong usage or OUT cannot be written.
// --decode writes the decoded sound to OUT as 16-bit little-endian
// interleaved PCM, as the player hands it to the sound device.
#include <bit>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "player/mp3/decoder.h"
#include "tools/mp3check/file_check.h"

namespace {

int Usage() {
  std::fputs("usage: mp3check [--decode OUT] FILE\n", stderr);
  return 2;
}

// Decoded sound as 16-bit little-endian PCM, gathered into writes of about
// 1 MiB rather than one per frame.
class PcmWriter {
 public:
  explicit PcmWriter(std::ofstream& out) : out_(out) { pending_.reserve(kBatch + mp3::kMaxFrameSamples); }

  void Add(std::span<const float> samples) {
    const std::size_t at = pending_.size();
    pending_.resize(at + samples.size());
    const std::span<std::int16_t> converted(pending_.data() + at, samples.size());
    mp3::ToPcm16(samples, converted);
    if constexpr (std::endian::native != std::endian::little) {
      for (std::int16_t& value : converted) {
        const auto bits = static_cast<std::uint16_t>(value);
        value = static_cast<std::int16_t>(static_cast<std::uint16_t>((bits >> 8) | (bits << 8)));
      }
    }
    if (pending_.size() >= kBatch) Flush();
  }

  // Writes what is gathered; false when the stream failed.
  bool Flush() {
    out_.write(reinterpret_cast<const char*>(pending_.data()), static_cast<std::streamsize>(2 * pending_.size()));
    pending_.clear();
    return out_.flush().good();
  }

 private:
  static constexpr std::size_t kBatch = std::size_t{1} << 19;  // samples
  std::ofstream& out_;
  std::vector<std::int16_t> pending_;
};

}  // namespace

int main(int argc, char** argv) {
  std::string decodeTo;
  int arg = 1;
  if (argc == 4 && std::string_view(argv[1]) == "--decode") {
    decodeTo = argv[2];
    arg = 3;
  } else if (argc != 2 || std::string_view(argv[1]).starts_with("--")) {
    return Usage();
  }
  const std::string file = argv[arg];

  std::ofstream pcm;
  PcmWriter writer(pcm);
  mp3check::FrameHandler onFrame;
  if (!decodeTo.empty()) {
    pcm.open(decodeTo, std::ios::binary | std::ios::trunc);
    if (!pcm) {
      std::fprintf(stderr, "mp3check: cannot write %s\n", decodeTo.c_str());
      return 2;
    }
    onFrame = [&writer](const mp3check::DecodedFrame& frame) { writer.Add(frame.samples); };
  }

  const mp3check::Verdict verdict = mp3check::CheckFile(file, onFrame);
  const bool written = !pcm.is_open() || writer.Flush();
  for (const std::string& warning : verdict.warnings) {
    std::fprintf(stderr, "mp3check: %s: warning: %s\n", file.c_str(), warning.c_str());
  }
  if (!verdict.playable) {
    std::fprintf(stderr, "mp3check: %s: %s\n", file.c_str(), verdict.refusal.c_str());
    return 1;
  }
  if (!written) {
    std::fprintf(stderr, "mp3check: cannot write %s\n", decodeTo.c_str());
    return 2;
  }
  std::printf("%s: %zu frames, %.1f%% of the audio decodes\n", file.c_str(), verdict.frames,
              verdict.decodableShare * 100);
  return 0;
}

// Times the player's decoding as the Windows build compiles it: the stream
// parser, the Layer III decoder and the conversion to 16-bit PCM, fed from
// memory in the chunks the player reads, with nothing written anywhere. For
// tools/bench-decoder.sh, which runs it under Wine beside mpg123.
//
//   decode_timing RUNS FILE...
//
// Reads the files first, then decodes all of them RUNS times and prints one
// line per run and one for the audio:
//
//   audio SECONDS FRAMES
//   run CPU_SECONDS WALL_SECONDS     process CPU time (user + kernel) and
//                                    elapsed time of that run
//
// A benchmark, not a test: it judges nothing. Exit status 2 on a bad
// argument or an unreadable file.
#include <windows.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <span>
#include <vector>

#include "player/mp3/decoder.h"
#include "player/mp3/stream_parser.h"

namespace {

constexpr std::size_t kChunkLength = 16 * 1024;  // as player::Track reads
constexpr std::size_t kMaxFrameSamples = 1152 * 2;

struct Totals {
  double audioSeconds = 0;
  std::uint64_t frames = 0;
  std::uint64_t checksum = 0;  // keeps the work from being optimised away
};

double ProcessCpuSeconds() {
  FILETIME created, exited, kernel, user;
  ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
  const auto ticks = [](FILETIME t) {
    return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Decode(std::span<const std::uint8_t> file, Totals& totals) {
  mp3::StreamParser parser;
  mp3::Decoder decoder;
  std::array<float, kMaxFrameSamples> samples{};
  std::array<std::int16_t, kMaxFrameSamples> pcm{};
  const auto drain = [&] {
    while (const auto frame = parser.Next()) {
      const auto count = static_cast<std::size_t>(frame->header.samplesPerFrame) * frame->header.channels;
      decoder.Decode(*frame, std::span(samples).first(count));
      mp3::ToPcm16(std::span(samples).first(count), std::span(pcm).first(count));
      totals.audioSeconds += static_cast<double>(frame->header.samplesPerFrame) / frame->header.sampleRate;
      ++totals.frames;
      totals.checksum += static_cast<std::uint16_t>(pcm[count / 2]);
    }
  };
  std::size_t position = 0;
  while (position < file.size()) {
    const std::size_t length = std::min(kChunkLength, file.size() - position);
    parser.Feed(file.subspan(position, length));
    position += length;
    drain();
    position = std::min<std::size_t>(position + parser.TakePendingSkip(), file.size());
  }
  parser.Finish();
  drain();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int runs = argc > 1 ? static_cast<int>(std::wcstol(argv[1], nullptr, 10)) : 0;
  if (argc < 3 || runs < 1) {
    std::fprintf(stderr, "usage: decode_timing RUNS FILE...\n");
    return 2;
  }
  std::vector<std::vector<std::uint8_t>> files;
  for (int i = 2; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    std::vector<std::uint8_t> bytes;
    if (in) bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (bytes.empty()) {
      std::fprintf(stderr, "decode_timing: cannot read %ls\n", argv[i]);
      return 2;
    }
    files.push_back(std::move(bytes));
  }
  Totals totals;
  for (int run = 0; run < runs; ++run) {
    Totals once;
    LARGE_INTEGER start, end;
    const double cpuStart = ProcessCpuSeconds();
    ::QueryPerformanceCounter(&start);
    for (const auto& file : files) Decode(file, once);
    ::QueryPerformanceCounter(&end);
    const double cpu = ProcessCpuSeconds() - cpuStart;
    std::printf("run %.4f %.4f\n", cpu, Seconds(start, end));
    totals = once;
  }
  std::printf("audio %.3f %llu\n", totals.audioSeconds, static_cast<unsigned long long>(totals.frames));
  std::fprintf(stderr, "decode_timing: checksum %llu\n", static_cast<unsigned long long>(totals.checksum));
  return 0;
}

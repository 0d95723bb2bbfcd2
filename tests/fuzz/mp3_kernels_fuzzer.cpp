// libFuzzer target comparing the decoder's vector filter-bank kernels with
// their plain forms.
//
// Input layout: as for mp3_stream_fuzzer, whose corpus it shares: two
// control bytes (ignored here), then the stream. The stream is parsed whole
// and every frame decoded by two decoders, one with the plain kernels and
// one with the SSE2 kernels; both must give the same samples, bit for bit
// (any NaN matching any NaN), and the same verdict on each frame. The
// samples are then converted to 16-bit PCM by both forms of the conversion,
// which must agree too.
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "player/mp3/decoder.h"
#include "player/mp3/layer3/signal_kernels.h"
#include "player/mp3/pcm16_kernels.h"
#include "player/mp3/stream_parser.h"

namespace {

// Compares bit patterns rather than calling memcmp: the fuzzer's memcmp hook
// would run for every sample.
bool SameSample(float a, float b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::size_t control = size < 2 ? size : 2;
  mp3::StreamParser parser;
  parser.Feed(std::span<const std::uint8_t>(data + control, size - control));
  parser.Finish();
  auto plain = std::make_unique<mp3::Decoder>(mp3::layer3::kPlainKernels);
  auto vector = std::make_unique<mp3::Decoder>(mp3::layer3::kSse2Kernels);
  std::vector<float> plainSamples;
  std::vector<float> vectorSamples;
  std::vector<std::int16_t> plainPcm;
  std::vector<std::int16_t> vectorPcm;
  std::size_t frame = 0;
  while (const auto found = parser.Next()) {
    const std::size_t count = static_cast<std::size_t>(found->header.samplesPerFrame) * found->header.channels;
    plainSamples.assign(count, 0.0f);
    vectorSamples.assign(count, 0.0f);
    const bool plainDecoded = plain->Decode(*found, plainSamples);
    const bool vectorDecoded = vector->Decode(*found, vectorSamples);
    if (plainDecoded != vectorDecoded) {
      std::fprintf(stderr, "mp3_kernels_fuzzer: frame %zu decoded by one kernel set only\n", frame);
      std::abort();
    }
    for (std::size_t i = 0; i < count; ++i) {
      if (SameSample(plainSamples[i], vectorSamples[i])) continue;
      std::fprintf(stderr, "mp3_kernels_fuzzer: frame %zu, sample %zu: plain %.9g, SSE2 %.9g\n", frame, i,
                   static_cast<double>(plainSamples[i]), static_cast<double>(vectorSamples[i]));
      std::abort();
    }
    plainPcm.assign(count, 0);
    vectorPcm.assign(count, 0);
    mp3::ToPcm16Plain(plainSamples, plainPcm);
    mp3::ToPcm16Sse2(vectorSamples, vectorPcm);
    for (std::size_t i = 0; i < count; ++i) {
      if (plainPcm[i] == vectorPcm[i]) continue;
      std::fprintf(stderr, "mp3_kernels_fuzzer: frame %zu, sample %zu (%.9g): 16-bit plain %d, SSE2 %d\n", frame, i,
                   static_cast<double>(plainSamples[i]), plainPcm[i], vectorPcm[i]);
      std::abort();
    }
    ++frame;
  }
  return 0;
}

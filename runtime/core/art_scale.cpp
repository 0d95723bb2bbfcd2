#include "runtime/core/art_scale.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace rt {
namespace {

struct Tap {
  int source;
  double weight;
};

// For each of `targetLength` cells, the source cells it overlaps and the
// share of the target cell each covers (the shares add up to 1).
std::vector<std::vector<Tap>> AreaTaps(int sourceLength, int targetLength) {
  const double step = static_cast<double>(sourceLength) / targetLength;
  std::vector<std::vector<Tap>> taps(static_cast<std::size_t>(targetLength));
  for (int t = 0; t < targetLength; ++t) {
    const double begin = t * step;
    const double end = begin + step;
    const int last = std::min(sourceLength - 1, static_cast<int>(end - 1e-9));
    for (int s = static_cast<int>(begin); s <= last; ++s) {
      const double overlap = std::min<double>(end, s + 1) - std::max<double>(begin, s);
      if (overlap > 0) taps[static_cast<std::size_t>(t)].push_back({s, overlap / step});
    }
  }
  return taps;
}

std::uint32_t Pack(const double* channels) {
  std::uint32_t pixel = 0;
  for (int c = 0; c < 3; ++c) {
    const int value = std::clamp(static_cast<int>(channels[c] + 0.5), 0, 255);
    pixel |= static_cast<std::uint32_t>(value) << (16 - 8 * c);
  }
  return pixel;
}

}  // namespace

void ResampleByArea(std::span<const std::uint32_t> source, int sourceWidth, int sourceHeight,
                    std::span<std::uint32_t> target, int targetWidth, int targetHeight) {
  if (sourceWidth <= 0 || sourceHeight <= 0 || targetWidth <= 0 || targetHeight <= 0 ||
      source.size() != static_cast<std::size_t>(sourceWidth) * sourceHeight ||
      target.size() != static_cast<std::size_t>(targetWidth) * targetHeight) {
    throw std::invalid_argument("ResampleByArea: sizes do not match the pixels given");
  }
  const auto across = AreaTaps(sourceWidth, targetWidth);
  const auto down = AreaTaps(sourceHeight, targetHeight);
  // Rows reduced across first, three channels each, then columns down.
  std::vector<double> rows(static_cast<std::size_t>(sourceHeight) * targetWidth * 3, 0.0);
  for (int y = 0; y < sourceHeight; ++y) {
    for (int x = 0; x < targetWidth; ++x) {
      double* out = &rows[(static_cast<std::size_t>(y) * targetWidth + x) * 3];
      for (const Tap& tap : across[static_cast<std::size_t>(x)]) {
        const std::uint32_t pixel = source[static_cast<std::size_t>(y) * sourceWidth + tap.source];
        for (int c = 0; c < 3; ++c) out[c] += tap.weight * ((pixel >> (16 - 8 * c)) & 0xFF);
      }
    }
  }
  for (int y = 0; y < targetHeight; ++y) {
    for (int x = 0; x < targetWidth; ++x) {
      double sum[3] = {0, 0, 0};
      for (const Tap& tap : down[static_cast<std::size_t>(y)]) {
        const double* in = &rows[(static_cast<std::size_t>(tap.source) * targetWidth + x) * 3];
        for (int c = 0; c < 3; ++c) sum[c] += tap.weight * in[c];
      }
      target[static_cast<std::size_t>(y) * targetWidth + x] = Pack(sum);
    }
  }
}

}  // namespace rt

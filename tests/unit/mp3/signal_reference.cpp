#include "tests/unit/mp3/signal_reference.h"

#include <cmath>

#include "player/mp3/layer3/synthesis_window.h"

namespace mp3::test {
namespace {
constexpr double kPi = 3.14159265358979323846;
}

std::vector<double> DirectImdct(const std::vector<double>& spectrum) {
  const int half = static_cast<int>(spectrum.size());
  const int n = 2 * half;
  std::vector<double> y(n);
  for (int i = 0; i < n; ++i) {
    double sum = 0.0;
    for (int k = 0; k < half; ++k) {
      sum += spectrum[k] * std::cos(kPi / (2.0 * n) * (2.0 * i + 1.0 + n / 2.0) * (2.0 * k + 1.0));
    }
    y[i] = sum;
  }
  return y;
}

std::array<double, 32> DirectDct32(const std::array<double, 32>& in) {
  std::array<double, 32> out{};
  for (int u = 0; u < 32; ++u) {
    for (int k = 0; k < 32; ++k) out[u] += in[k] * std::cos(kPi * u * (2 * k + 1) / 64.0);
  }
  return out;
}

std::array<double, 32> DirectSynthesis::Step(const std::array<double, 32>& subbands) {
  for (int i = 1023; i >= 64; --i) v_[i] = v_[i - 64];
  for (int i = 0; i < 64; ++i) {
    double sum = 0.0;
    for (int k = 0; k < 32; ++k) sum += std::cos((16 + i) * (2 * k + 1) * kPi / 64.0) * subbands[k];
    v_[i] = sum;
  }
  std::array<double, 512> u{};
  for (int i = 0; i < 8; ++i) {
    for (int j = 0; j < 32; ++j) {
      u[i * 64 + j] = v_[i * 128 + j];
      u[i * 64 + 32 + j] = v_[i * 128 + 96 + j];
    }
  }
  std::array<double, 32> out{};
  for (int j = 0; j < 32; ++j) {
    for (int i = 0; i < 16; ++i) {
      const int index = j + 32 * i;
      out[j] += u[index] * layer3::kSynthesisWindowSteps[index] * layer3::kSynthesisWindowUnit;
    }
  }
  return out;
}

}  // namespace mp3::test

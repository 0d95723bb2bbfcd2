#include "tests/unit/mp3/signal_reference.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>

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

void FillKernelInput(const KernelInput& input, int round, std::span<float> values) {
  std::mt19937 random(input.seed * 1000 + static_cast<std::uint32_t>(round));
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  std::uniform_int_distribution<int> exponent(-20, 10);
  std::uniform_int_distribution<int> quarter(0, 3);
  std::uniform_int_distribution<int> tenth(0, 9);
  bool silent = false;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i % 18 == 0) silent = quarter(random) == 0;
    const float sign = unit(random) < 0.0f ? -1.0f : 1.0f;
    const float randomValue = silent ? 0.0f : std::ldexp(unit(random), exponent(random));
    float& v = values[i];
    switch (input.kind) {
      case KernelInput::Kind::Random: v = randomValue; break;
      case KernelInput::Kind::Zeros: v = 0.0f; break;
      case KernelInput::Kind::NegativeZeros: v = -0.0f; break;
      case KernelInput::Kind::FullScale: v = sign; break;
      case KernelInput::Kind::Huge: v = sign * std::numeric_limits<float>::max() / 4.0f; break;
      case KernelInput::Kind::Denormals:
        v = sign * std::numeric_limits<float>::denorm_min() * static_cast<float>(1 + tenth(random));
        break;
      case KernelInput::Kind::NaNs:
        v = tenth(random) == 0 ? std::numeric_limits<float>::quiet_NaN() : randomValue;
        break;
    }
  }
}

bool SameSample(float a, float b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return std::memcmp(&a, &b, sizeof a) == 0;
}

std::string FirstDifference(std::span<const float> plain, std::span<const float> vector) {
  for (std::size_t i = 0; i < plain.size() && i < vector.size(); ++i) {
    if (SameSample(plain[i], vector[i])) continue;
    std::ostringstream text;
    text.precision(9);
    text << "at " << i << ": plain " << plain[i] << ", vector " << vector[i];
    return text.str();
  }
  return plain.size() == vector.size() ? "" : "lengths differ";
}

}  // namespace mp3::test

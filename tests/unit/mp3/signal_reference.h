// Direct, slow forms of the decoder's signal stages, written as the
// defining formulas read, in double precision: what the fast paths are
// tested against.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace mp3::test {

// Inputs a vector kernel must handle exactly as its plain form: values from
// a fixed seed, and the edge values a damaged stream can bring.
struct KernelInput {
  const char* name;
  enum class Kind { Random, Zeros, NegativeZeros, FullScale, Huge, Denormals, NaNs } kind;
  std::uint32_t seed;
};

inline constexpr KernelInput kKernelInputs[] = {
    {"random, seed 1", KernelInput::Kind::Random, 1},
    {"random, seed 2", KernelInput::Kind::Random, 2},
    {"random, seed 3", KernelInput::Kind::Random, 3},
    {"zeros", KernelInput::Kind::Zeros, 4},
    {"negative zeros", KernelInput::Kind::NegativeZeros, 5},
    {"full scale", KernelInput::Kind::FullScale, 6},
    {"huge, overflowing to infinity", KernelInput::Kind::Huge, 7},
    {"denormals", KernelInput::Kind::Denormals, 8},
    {"NaNs among random values", KernelInput::Kind::NaNs, 9},
};

// Fills `values` as `input` says, the `round`th time (each round differs).
// Random values have random magnitudes (2^-20 to 2^10), and a random
// quarter of the runs of 18 values are all zero, as silent subbands are.
void FillKernelInput(const KernelInput& input, int round, std::span<float> values);

// Bit for bit the same, or both NaN (a NaN's sign and payload are not
// part of the result).
bool SameSample(float a, float b);

// Where `vector` first differs from `plain` by SameSample, as "at N: plain
// P, vector V"; empty when they are the same.
std::string FirstDifference(std::span<const float> plain, std::span<const float> vector);

// y[i] = sum_k X[k] cos(pi / (2n) * (2i + 1 + n / 2) * (2k + 1)), n outputs
// from n / 2 inputs.
std::vector<double> DirectImdct(const std::vector<double>& spectrum);

// out[u] = sum_k in[k] cos(pi u (2k + 1) / 64).
std::array<double, 32> DirectDct32(const std::array<double, 32>& in);

// The synthesis filter bank step by step as defined: shift the 1024-value V
// by 64, matrix the 32 subband samples into V[0..63] with
// cos((16 + i)(2k + 1) pi / 64), build U from V, window it with D and sum.
class DirectSynthesis {
 public:
  std::array<double, 32> Step(const std::array<double, 32>& subbands);

 private:
  std::array<double, 1024> v_{};
};

}  // namespace mp3::test

// Direct, slow forms of the decoder's signal stages, written as the
// defining formulas read, in double precision: what the fast paths are
// tested against.
#pragma once

#include <array>
#include <vector>

namespace mp3::test {

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

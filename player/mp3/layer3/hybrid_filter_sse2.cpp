#include "player/mp3/layer3/hybrid_filter_sse2.h"

#include <emmintrin.h>

#include "player/mp3/layer3/imdct_tables.h"

namespace mp3::layer3 {
namespace {

// Lane s of every vector here belongs to subband first + s of a group of
// four.
constexpr int kLanes = 4;

// The 36-point IMDCT kernel with each entry repeated in four lanes.
struct alignas(16) BroadcastKernel {
  float entry[18][18][kLanes];  // [input k][row r]
};

constexpr BroadcastKernel kBroadcastKernel = [] {
  BroadcastKernel b{};
  for (int k = 0; k < 18; ++k) {
    for (int r = 0; r < 18; ++r) {
      for (int lane = 0; lane < kLanes; ++lane) b.entry[k][r][lane] = kImdct36Kernel[k][r];
    }
  }
  return b;
}();

// Four rows of 18 values, lane s from rows[s].
using ConstRows = std::array<const float*, kLanes>;
using Rows = std::array<float*, kLanes>;

// Columns [at, at + 4) of the rows as four vectors: column at + c in out[c].
void LoadColumns(const ConstRows& rows, int at, __m128 out[4]) {
  __m128 a = _mm_loadu_ps(rows[0] + at);
  __m128 b = _mm_loadu_ps(rows[1] + at);
  __m128 c = _mm_loadu_ps(rows[2] + at);
  __m128 d = _mm_loadu_ps(rows[3] + at);
  _MM_TRANSPOSE4_PS(a, b, c, d);
  out[0] = a;
  out[1] = b;
  out[2] = c;
  out[3] = d;
}

// The inverse of LoadColumns.
void StoreColumns(const __m128 in[4], const Rows& rows, int at) {
  __m128 a = in[0];
  __m128 b = in[1];
  __m128 c = in[2];
  __m128 d = in[3];
  _MM_TRANSPOSE4_PS(a, b, c, d);
  _mm_storeu_ps(rows[0] + at, a);
  _mm_storeu_ps(rows[1] + at, b);
  _mm_storeu_ps(rows[2] + at, c);
  _mm_storeu_ps(rows[3] + at, d);
}

// All 18 columns of the rows, in and out.
void LoadAll(const ConstRows& rows, __m128 out[18]) {
  for (int at = 0; at < 16; at += 4) LoadColumns(rows, at, out + at);
  for (int at = 16; at < 18; ++at) out[at] = _mm_setr_ps(rows[0][at], rows[1][at], rows[2][at], rows[3][at]);
}

void StoreAll(const __m128 in[18], const Rows& rows) {
  for (int at = 0; at < 16; at += 4) StoreColumns(in + at, rows, at);
  alignas(16) float lanes[kLanes];
  for (int at = 16; at < 18; ++at) {
    _mm_store_ps(lanes, in[at]);
    for (int lane = 0; lane < kLanes; ++lane) rows[lane][at] = lanes[lane];
  }
}

template <typename Table>
Rows RowsOf(Table& table, int first) {
  return {table[first].data(), table[first + 1].data(), table[first + 2].data(), table[first + 3].data()};
}

// Rows [First, First + Count) of the IMDCT's independent outputs (Core in
// imdct.cpp): each the sum over k, from zero, of kernel[k][r] * x[k].
template <int First, int Count>
void CoreRows(const __m128 x[18], __m128 core[18]) {
  __m128 sum[Count];
  for (int r = 0; r < Count; ++r) sum[r] = _mm_setzero_ps();
  for (int k = 0; k < 18; ++k) {
    for (int r = 0; r < Count; ++r) {
      sum[r] = _mm_add_ps(sum[r], _mm_mul_ps(_mm_load_ps(kBroadcastKernel.entry[k][First + r]), x[k]));
    }
  }
  for (int r = 0; r < Count; ++r) core[First + r] = sum[r];
}

// Four subbands from `first` that all take the long window `type`: as
// InverseMdctSubband does for each.
void LongBlocks(const std::array<float, kLines>& xr, int first, BlockType type, OverlapMemory& overlap,
                SubbandSamples& out) {
  const float* lines = xr.data() + first * 18;
  __m128 x[18];
  LoadAll({lines, lines + 18, lines + 36, lines + 54}, x);
  // A subband whose lines are all zero (a NaN is not) gives zeros.
  __m128 coded = _mm_setzero_ps();
  for (const __m128 line : x) coded = _mm_or_ps(coded, _mm_cmpneq_ps(line, _mm_setzero_ps()));

  __m128 core[18];
  if (_mm_movemask_ps(coded) != 0) {
    CoreRows<0, 6>(x, core);
    CoreRows<6, 6>(x, core);
    CoreRows<12, 6>(x, core);
  } else {
    for (__m128& row : core) row = _mm_setzero_ps();
  }

  // Unfolded to 36 outputs (Unfold in imdct.cpp), windowed.
  const __m128 sign = _mm_set1_ps(-0.0f);
  const std::array<float, 36>& window = LongWindow(type);
  __m128 z[36];
  for (int i = 0; i < 9; ++i) {
    z[i] = core[i];
    z[17 - i] = _mm_xor_ps(core[i], sign);
    z[18 + i] = core[9 + i];
    z[35 - i] = core[9 + i];
  }
  for (int i = 0; i < 36; ++i) z[i] = _mm_and_ps(_mm_mul_ps(z[i], _mm_set1_ps(window[i])), coded);

  // Overlapped with the previous granule; odd samples of odd subbands
  // negated.
  const Rows memory = RowsOf(overlap, first);
  __m128 previous[18];
  LoadAll({memory[0], memory[1], memory[2], memory[3]}, previous);
  const __m128 invert = _mm_setr_ps(1.0f, -1.0f, 1.0f, -1.0f);
  __m128 result[18];
  for (int i = 0; i < 18; ++i) {
    const __m128 sample = _mm_add_ps(z[i], previous[i]);
    result[i] = (i & 1) ? _mm_mul_ps(sample, invert) : sample;
  }
  StoreAll(result, RowsOf(out, first));
  StoreAll(z + 18, memory);
}

}  // namespace

void InverseMdctGranuleSse2(const std::array<float, kLines>& xr, const GranuleInfo& info, OverlapMemory& overlap,
                            SubbandSamples& out) {
  for (int first = 0; first < 32; first += kLanes) {
    const BlockType type = SubbandWindow(info, first);
    if (type != BlockType::Short && SubbandWindow(info, first + kLanes - 1) == type) {
      LongBlocks(xr, first, type, overlap, out);
    } else {
      for (int sb = first; sb < first + kLanes; ++sb) InverseMdctSubband(xr, info, sb, overlap, out);
    }
  }
}

}  // namespace mp3::layer3

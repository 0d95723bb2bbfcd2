// The tables that say how many bits each scale factor takes.
#pragma once

#include <array>

namespace mp3::layer3 {

// MPEG-1: bits of the scale factors of long bands 0-10 (and short bands
// 0-5), then of long bands 11-20 (short bands 6-11), by scalefac_compress.
inline constexpr std::array<std::array<int, 2>, 16> kMpeg1ScalefactorBits = {{
    {0, 0}, {0, 1}, {0, 2}, {0, 3}, {3, 0}, {1, 1}, {1, 2}, {1, 3},
    {2, 1}, {2, 2}, {2, 3}, {3, 1}, {3, 2}, {3, 3}, {4, 2}, {4, 3},
}};

// MPEG-2 and 2.5: how many scale factors each of the four parts holds, by
// the layout row that scalefac_compress selects (rows 3-5 for the right
// channel of intensity stereo), then by block kind (long, short, mixed).
// Short and mixed counts are of scale factors, three per short band.
inline constexpr std::array<std::array<std::array<int, 4>, 3>, 6> kLsfScalefactorCounts = {{
    {{{6, 5, 5, 5}, {9, 9, 9, 9}, {6, 9, 9, 9}}},
    {{{6, 5, 7, 3}, {9, 9, 12, 6}, {6, 9, 12, 6}}},
    {{{11, 10, 0, 0}, {18, 18, 0, 0}, {15, 18, 0, 0}}},
    {{{7, 7, 7, 0}, {12, 12, 12, 0}, {6, 15, 12, 0}}},
    {{{6, 6, 6, 3}, {12, 9, 9, 6}, {6, 12, 9, 6}}},
    {{{8, 8, 5, 0}, {15, 12, 9, 0}, {6, 18, 9, 0}}},
}};

}  // namespace mp3::layer3

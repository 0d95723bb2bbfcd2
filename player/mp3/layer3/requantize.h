// Requantisation: the quantized spectral values of one granule and channel
// to spectral values at full scale, by the global gain, the scale factors
// (with preemphasis and their scale) and the short windows' subblock gains.
#pragma once

#include <array>

#include "player/mp3/frame_header.h"
#include "player/mp3/layer3/granule.h"
#include "player/mp3/layer3/scalefactor_bands.h"

namespace mp3::layer3 {

// Fills `xr` from `in`, keeping the bitstream's line order (short bands by
// band, then window). Lines at and past in.nonzeroEnd are zero. `bands` are
// the scale factor bands of the frame's sample rate. A mixed block uses long
// bands 0..7 (MPEG-1) or 0..5 (MPEG-2 and 2.5), then short bands from 3.
// Magnitudes above 8206, which no Huffman code gives, are treated as 8206.
void Requantize(const ChannelGranule& in, Version version, const ScalefactorBands& bands,
                std::array<float, kLines>& xr);

}  // namespace mp3::layer3

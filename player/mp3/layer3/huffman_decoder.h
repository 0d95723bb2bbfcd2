// Decodes the Huffman-coded spectral values of one granule of one channel:
// the big-values region in pairs, then the count1 region in quadruples.
#pragma once

#include <cstddef>

#include "player/mp3/layer3/bit_reader.h"
#include "player/mp3/layer3/granule.h"
#include "player/mp3/layer3/scalefactor_bands.h"

namespace mp3::layer3 {

// Reads from `reader`, which stands just after the granule's scale factors,
// up to bit `end` (where the granule's part2_3_length ends), into
// out.quantized and out.nonzeroEnd; out.info must be filled. A count1
// quadruple that would run past `end` is dropped. False when the data are
// inconsistent: the big-values region runs past `end` or uses a table that
// does not exist (every table is a complete code: any bits decode); then
// out.quantized is unspecified. The reader is left anywhere before or at
// `end`, or past it on failure.
bool ReadSpectrum(BitReader& reader, std::size_t end, const ScalefactorBands& bands, ChannelGranule& out);

}  // namespace mp3::layer3

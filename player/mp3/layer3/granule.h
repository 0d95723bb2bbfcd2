// What one Layer III frame carries once its bitstream is read: the side
// information, scale factors and quantized spectral values of each granule
// and channel. The bitstream stage fills it; the signal stages turn it into
// sound. Fixed-size arrays only, so a decoder's state never allocates.
#pragma once

#include <array>
#include <cstdint>

#include "player/mp3/frame_header.h"

namespace mp3::layer3 {

// Spectral lines in one granule of one channel: 32 subbands of 18 lines.
inline constexpr int kLines = 576;

enum class BlockType : std::uint8_t { Normal = 0, Start = 1, Short = 2, Stop = 3 };

// Side information of one granule of one channel, as coded in the frame.
struct GranuleInfo {
  int part23Length = 0;      // bits of scale factors and Huffman data
  int bigValues = 0;         // pairs in the big-values region
  int globalGain = 0;
  int scalefacCompress = 0;  // 4 bits (MPEG-1) or 9 bits (MPEG-2 and 2.5)
  bool windowSwitching = false;
  BlockType blockType = BlockType::Normal;
  bool mixedBlock = false;
  std::array<int, 3> tableSelect{};
  std::array<int, 3> subblockGain{};
  int region0Count = 0;      // as coded, or the implied value for switched windows
  int region1Count = 0;
  bool preflag = false;      // MPEG-1: coded; MPEG-2 and 2.5: implied by scalefacCompress
  bool scalefacScale = false;
  bool count1TableB = false; // count1 region coded with table B (else A)
};

// The scale factor bands a granule's lines fall in: long bands
// [0, longBands), then short bands [firstShortBand, 13). A long block has
// only long bands, a short block only short ones; a mixed block has long
// bands 0-7 (MPEG-1) or 0-5 (MPEG-2 and 2.5), then short bands from 3.
struct BandSplit {
  int longBands;
  int firstShortBand;
};

constexpr BandSplit BandSplitOf(const GranuleInfo& info, Version version) {
  if (info.blockType != BlockType::Short) return {22, 13};
  if (!info.mixedBlock) return {0, 0};
  return {version == Version::Mpeg1 ? 8 : 6, 3};
}

// Scale factors of one granule of one channel. Long-block bands 0..21 and
// short-block bands 0..12 of each of the three windows; the last band of each
// kind has no coded scale factor and stays 0. For a mixed block, the long
// bands 0..7 (MPEG-1) or 0..5 (MPEG-2 and 2.5) and the short bands from 3 on
// are the ones in use.
struct ScaleFactors {
  std::array<std::uint8_t, 22> longBands{};
  std::array<std::array<std::uint8_t, 3>, 13> shortBands{};  // [band][window]
  // MPEG-2 and 2.5 intensity stereo, right channel only: the "illegal"
  // intensity position of each band, (1 << slen) - 1 for the band's scale
  // factor length. A band whose scale factor equals it is not intensity
  // coded. MPEG-1 ignores these (its illegal position is always 7).
  std::array<std::uint8_t, 22> longIllegal{};
  std::array<std::uint8_t, 13> shortIllegal{};
};

// One granule of one channel, read from the bitstream.
struct ChannelGranule {
  GranuleInfo info;
  ScaleFactors scalefactors;
  // Quantized spectral values with their signs, in bitstream order (for short
  // blocks still grouped by band, then window, as coded).
  std::array<int, kLines> quantized{};
  // Lines at and past this index are zero: the end of the count1 region.
  int nonzeroEnd = 0;
};

// Everything the signal stages need of one frame.
struct FrameData {
  FrameHeader header;
  int granules = 0;  // 2 for MPEG-1, 1 for MPEG-2 and 2.5
  // True when the frame's main data was decoded. False when the bit
  // reservoir did not yet hold the bytes that main_data_begin points back to
  // (the first frames after a start) or the data was inconsistent: the frame
  // then plays as silence.
  bool decoded = false;
  std::array<std::array<ChannelGranule, 2>, 2> granule{};  // [granule][channel]
};

}  // namespace mp3::layer3

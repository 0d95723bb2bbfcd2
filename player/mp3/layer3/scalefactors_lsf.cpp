#include "player/mp3/layer3/lsf_scalefactor_layout.h"
#include "player/mp3/layer3/scalefactor_tables.h"
#include "player/mp3/layer3/scalefactors.h"

namespace mp3::layer3 {

LsfScalefactorLayout LsfLayoutFor(int scalefacCompress, bool intensityRightChannel) {
  LsfScalefactorLayout layout;
  if (!intensityRightChannel) {
    if (scalefacCompress < 400) {
      layout.row = 0;
      layout.bits = {(scalefacCompress >> 4) / 5, (scalefacCompress >> 4) % 5, (scalefacCompress % 16) >> 2,
                     scalefacCompress % 4};
    } else if (scalefacCompress < 500) {
      const int value = scalefacCompress - 400;
      layout.row = 1;
      layout.bits = {(value >> 2) / 5, (value >> 2) % 5, value % 4, 0};
    } else {
      const int value = scalefacCompress - 500;
      layout.row = 2;
      layout.bits = {value / 3, value % 3, 0, 0};
      layout.preflag = true;
    }
    return layout;
  }
  // The lowest bit is the intensity scale, not part of the layout.
  const int value = scalefacCompress >> 1;
  if (value < 180) {
    layout.row = 3;
    layout.bits = {value / 36, (value % 36) / 6, (value % 36) % 6, 0};
  } else if (value < 244) {
    const int rest = value - 180;
    layout.row = 4;
    layout.bits = {(rest % 64) >> 4, (rest % 16) >> 2, rest % 4, 0};
  } else {
    const int rest = value - 244;
    layout.row = 5;
    layout.bits = {rest / 3, rest % 3, 0, 0};
  }
  return layout;
}

void ReadLsfScalefactors(BitReader& reader, const GranuleInfo& info, bool intensityRightChannel, ScaleFactors& out) {
  const LsfScalefactorLayout layout = LsfLayoutFor(info.scalefacCompress, intensityRightChannel);
  const bool shortBlock = info.blockType == BlockType::Short;
  const std::size_t kind = shortBlock ? (info.mixedBlock ? 2 : 1) : 0;
  const auto& counts = kLsfScalefactorCounts[static_cast<std::size_t>(layout.row)][kind];
  const auto [longBands, firstShortBand] = BandSplitOf(info, Version::Mpeg2);

  out = ScaleFactors{};
  // Scale factors in coded order: the long bands, then the short bands
  // window by window.
  int index = 0;
  for (std::size_t part = 0; part < counts.size(); ++part) {
    const int bits = layout.bits[part];
    const auto illegal = static_cast<std::uint8_t>((1 << bits) - 1);
    for (int i = 0; i < counts[part]; ++i, ++index) {
      const auto value = static_cast<std::uint8_t>(reader.Read(bits));
      if (index < longBands) {
        out.longBands[index] = value;
        out.longIllegal[index] = illegal;
        continue;
      }
      const int shortIndex = index - longBands;
      const int band = firstShortBand + shortIndex / 3;
      out.shortBands[band][shortIndex % 3] = value;
      out.shortIllegal[band] = illegal;
    }
  }
}

}  // namespace mp3::layer3

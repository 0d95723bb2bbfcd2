#include "player/mp3/layer3/scalefactor_tables.h"
#include "player/mp3/layer3/scalefactors.h"

namespace mp3::layer3 {
namespace {

// Long-band groups that scfsi can carry over: [first, end) of each.
constexpr std::array<std::array<int, 2>, 4> kScfsiGroups = {{{0, 6}, {6, 11}, {11, 16}, {16, 21}}};
constexpr int kFirstSlen2LongBand = 11;
constexpr int kFirstSlen2ShortBand = 6;
constexpr int kShortBandsCoded = 12;

void ReadShortBands(BitReader& reader, int first, int bits1, int bits2, ScaleFactors& out) {
  for (int band = first; band < kShortBandsCoded; ++band) {
    const int bits = band < kFirstSlen2ShortBand ? bits1 : bits2;
    for (std::uint8_t& value : out.shortBands[band]) value = static_cast<std::uint8_t>(reader.Read(bits));
  }
}

}  // namespace

void ReadMpeg1Scalefactors(BitReader& reader, const GranuleInfo& info, int granule,
                           const std::array<bool, 4>& scfsi, const ScaleFactors& firstGranule, ScaleFactors& out) {
  const auto [bits1, bits2] = kMpeg1ScalefactorBits[static_cast<std::size_t>(info.scalefacCompress & 0x0F)];
  ScaleFactors read;
  if (info.blockType == BlockType::Short) {
    // A mixed block's long bands all lie below the first slen2 band.
    const auto [longBands, firstShortBand] = BandSplitOf(info, Version::Mpeg1);
    for (int band = 0; band < longBands; ++band) read.longBands[band] = static_cast<std::uint8_t>(reader.Read(bits1));
    ReadShortBands(reader, firstShortBand, bits1, bits2, read);
  } else {
    for (std::size_t group = 0; group < kScfsiGroups.size(); ++group) {
      const auto [first, end] = kScfsiGroups[group];
      const bool reuse = granule == 1 && scfsi[group];
      for (int band = first; band < end; ++band) {
        read.longBands[band] = reuse ? firstGranule.longBands[band]
                                     : static_cast<std::uint8_t>(reader.Read(band < kFirstSlen2LongBand ? bits1 : bits2));
      }
    }
  }
  out = read;
}

}  // namespace mp3::layer3

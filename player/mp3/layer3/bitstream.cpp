#include "player/mp3/layer3/bitstream.h"

#include <algorithm>

#include "player/mp3/layer3/bit_reader.h"
#include "player/mp3/layer3/huffman_decoder.h"
#include "player/mp3/layer3/scalefactor_bands.h"
#include "player/mp3/layer3/scalefactors.h"

namespace mp3::layer3 {
namespace {

void MarkUndecoded(FrameData& out) {
  out.decoded = false;
  for (auto& granule : out.granule) {
    for (ChannelGranule& channel : granule) channel.nonzeroEnd = 0;
  }
}

}  // namespace

void BitstreamReader::Read(std::span<const std::uint8_t> frame, const FrameHeader& header, FrameData& out) {
  out.header = header;
  out.granules = header.Granules();
  MarkUndecoded(out);

  // A frame cut short breaks the chain of main data slots: what later frames
  // point back to is missing.
  const auto length = static_cast<std::size_t>(std::clamp(header.frameLength, 0, kMaxFrameLength));
  const std::size_t sideInfoEnd = static_cast<std::size_t>(header.SideInfoOffset() + header.SideInfoLength());
  if (frame.size() < length || length < sideInfoEnd) {
    reservoir_.Reset();
    return;
  }
  frame = frame.first(length);

  const bool sideInfoGood = ReadSideInfo(frame, header, sideInfo_);
  // The slot joins the reservoir even when this frame cannot be decoded.
  const auto mainData = reservoir_.Append(frame.subspan(sideInfoEnd), sideInfoGood ? sideInfo_.mainDataBegin : 0);
  if (!sideInfoGood || !mainData) return;

  std::size_t totalBits = 0;
  for (int gr = 0; gr < out.granules; ++gr) {
    for (int ch = 0; ch < header.channels; ++ch) totalBits += static_cast<std::size_t>(sideInfo_.granule[gr][ch].part23Length);
  }
  if (totalBits > mainData->size() * 8) return;

  const ScalefactorBands& bands = ScalefactorBandsFor(header.sampleRate);
  const bool intensityStereo = HasIntensityStereo(header);
  BitReader reader(*mainData);
  for (int gr = 0; gr < out.granules; ++gr) {
    for (int ch = 0; ch < header.channels; ++ch) {
      ChannelGranule& granule = out.granule[gr][ch];
      granule.info = sideInfo_.granule[gr][ch];
      const std::size_t start = reader.position();
      const std::size_t end = start + static_cast<std::size_t>(granule.info.part23Length);
      if (header.version == Version::Mpeg1) {
        ReadMpeg1Scalefactors(reader, granule.info, gr, sideInfo_.scfsi[ch], out.granule[0][ch].scalefactors,
                              granule.scalefactors);
      } else {
        ReadLsfScalefactors(reader, granule.info, intensityStereo && ch == 1, granule.scalefactors);
      }
      if (reader.position() > end || !ReadSpectrum(reader, end, bands, granule)) {
        MarkUndecoded(out);
        return;
      }
      reader.SeekTo(end);
    }
  }
  out.decoded = true;
}

}  // namespace mp3::layer3

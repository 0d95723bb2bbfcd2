#include "player/mp3/layer3/side_info.h"

#include "player/mp3/layer3/bit_reader.h"
#include "player/mp3/layer3/lsf_scalefactor_layout.h"

namespace mp3::layer3 {
namespace {

constexpr int kMaxBigValues = kLines / 2;

// Reads one granule of one channel; `version` selects the field widths and
// the implied region counts.
bool ReadGranule(BitReader& reader, Version version, GranuleInfo& info) {
  const bool mpeg1 = version == Version::Mpeg1;
  info.part23Length = static_cast<int>(reader.Read(12));
  info.bigValues = static_cast<int>(reader.Read(9));
  info.globalGain = static_cast<int>(reader.Read(8));
  info.scalefacCompress = static_cast<int>(reader.Read(mpeg1 ? 4 : 9));
  info.windowSwitching = reader.ReadBit();
  if (info.windowSwitching) {
    info.blockType = static_cast<BlockType>(reader.Read(2));
    info.mixedBlock = reader.ReadBit();
    info.tableSelect[0] = static_cast<int>(reader.Read(5));
    info.tableSelect[1] = static_cast<int>(reader.Read(5));
    info.tableSelect[2] = 0;
    for (int& gain : info.subblockGain) gain = static_cast<int>(reader.Read(3));
    // Implied: region 1 takes the rest after region 0, which ends after 8
    // short bands of a pure short block (counted window by window) or after
    // 8 long bands. A short block's region 1 starts at line 36 at every
    // MPEG-1 and MPEG-2 rate: for a mixed block at the MPEG-2 rates that is
    // after 6 long bands. MPEG-2.5, which no standard covers, counts 8 long
    // bands as other decoders do.
    if (info.blockType != BlockType::Short) {
      info.region0Count = 7;
    } else if (!info.mixedBlock) {
      info.region0Count = 8;
    } else {
      info.region0Count = version == Version::Mpeg2 ? 5 : 7;
    }
    info.region1Count = 36;
  } else {
    info.blockType = BlockType::Normal;
    info.mixedBlock = false;
    for (int& table : info.tableSelect) table = static_cast<int>(reader.Read(5));
    info.subblockGain = {};
    info.region0Count = static_cast<int>(reader.Read(4));
    info.region1Count = static_cast<int>(reader.Read(3));
  }
  info.preflag = mpeg1 ? reader.ReadBit() : false;
  info.scalefacScale = reader.ReadBit();
  info.count1TableB = reader.ReadBit();
  if (info.bigValues > kMaxBigValues) return false;
  return !(info.windowSwitching && info.blockType == BlockType::Normal);
}

}  // namespace

bool HasIntensityStereo(const FrameHeader& header) {
  return header.channelMode == ChannelMode::JointStereo && (header.modeExtension & 1) != 0;
}

bool ReadSideInfo(std::span<const std::uint8_t> frame, const FrameHeader& header, SideInfo& out) {
  const std::size_t offset = static_cast<std::size_t>(header.SideInfoOffset());
  const std::size_t length = static_cast<std::size_t>(header.SideInfoLength());
  // The fields read fill exactly `length` bytes: the reader never overruns.
  BitReader reader(frame.subspan(offset, length));

  const bool mpeg1 = header.version == Version::Mpeg1;
  const int channels = header.channels;
  out.mainDataBegin = static_cast<int>(reader.Read(mpeg1 ? 9 : 8));
  if (mpeg1) {
    reader.Read(channels == 1 ? 5 : 3);  // private bits
    for (int ch = 0; ch < channels; ++ch) {
      for (bool& reuse : out.scfsi[ch]) reuse = reader.ReadBit();
    }
  } else {
    reader.Read(channels == 1 ? 1 : 2);  // private bits
    out.scfsi = {};
  }

  const bool intensityStereo = HasIntensityStereo(header);
  bool consistent = true;
  for (int gr = 0; gr < header.Granules(); ++gr) {
    for (int ch = 0; ch < channels; ++ch) {
      GranuleInfo& info = out.granule[gr][ch];
      if (!ReadGranule(reader, header.version, info)) consistent = false;
      if (!mpeg1) info.preflag = LsfLayoutFor(info.scalefacCompress, intensityStereo && ch == 1).preflag;
    }
  }
  return consistent;
}

}  // namespace mp3::layer3

#include "layer3_frame_builder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace mp3::test {

using layer3::BlockType;
using layer3::GranuleInfo;

void WriteSideInfo(BitWriter& out, const FrameHeader& header, const layer3::SideInfo& side) {
  const bool mpeg1 = header.version == Version::Mpeg1;
  out.Put(static_cast<std::uint32_t>(side.mainDataBegin), mpeg1 ? 9 : 8);
  if (mpeg1) {
    out.Put(0, header.channels == 1 ? 5 : 3);
    for (int ch = 0; ch < header.channels; ++ch) {
      for (const bool reuse : side.scfsi[ch]) out.Put(reuse ? 1 : 0, 1);
    }
  } else {
    out.Put(0, header.channels == 1 ? 1 : 2);
  }
  for (int gr = 0; gr < (mpeg1 ? 2 : 1); ++gr) {
    for (int ch = 0; ch < header.channels; ++ch) {
      const GranuleInfo& info = side.granule[gr][ch];
      out.Put(static_cast<std::uint32_t>(info.part23Length), 12);
      out.Put(static_cast<std::uint32_t>(info.bigValues), 9);
      out.Put(static_cast<std::uint32_t>(info.globalGain), 8);
      out.Put(static_cast<std::uint32_t>(info.scalefacCompress), mpeg1 ? 4 : 9);
      out.Put(info.windowSwitching ? 1 : 0, 1);
      if (info.windowSwitching) {
        out.Put(static_cast<std::uint32_t>(info.blockType), 2);
        out.Put(info.mixedBlock ? 1 : 0, 1);
        for (int i = 0; i < 2; ++i) out.Put(static_cast<std::uint32_t>(info.tableSelect[i]), 5);
        for (const int gain : info.subblockGain) out.Put(static_cast<std::uint32_t>(gain), 3);
      } else {
        for (const int table : info.tableSelect) out.Put(static_cast<std::uint32_t>(table), 5);
        out.Put(static_cast<std::uint32_t>(info.region0Count), 4);
        out.Put(static_cast<std::uint32_t>(info.region1Count), 3);
      }
      if (mpeg1) out.Put(info.preflag ? 1 : 0, 1);
      out.Put(info.scalefacScale ? 1 : 0, 1);
      out.Put(info.count1TableB ? 1 : 0, 1);
    }
  }
}

FrameHeader HeaderOf(std::span<const std::uint8_t, 4> headerBytes) {
  const auto header = ParseHeader(headerBytes);
  EXPECT_TRUE(header.has_value()) << "not a Layer III header";
  return header.value_or(FrameHeader{});
}

int SlotLength(const FrameHeader& header) {
  return header.frameLength - header.SideInfoOffset() - header.SideInfoLength();
}

std::vector<std::uint8_t> BuildFrame(std::span<const std::uint8_t, 4> headerBytes, const layer3::SideInfo& side,
                                     std::span<const std::uint8_t> mainData) {
  const FrameHeader header = HeaderOf(headerBytes);
  std::vector<std::uint8_t> frame(headerBytes.begin(), headerBytes.end());
  if (header.hasCrc) frame.resize(frame.size() + 2, 0);
  BitWriter sideInfo;
  WriteSideInfo(sideInfo, header, side);
  frame.insert(frame.end(), sideInfo.bytes().begin(), sideInfo.bytes().end());
  EXPECT_LE(mainData.size(), static_cast<std::size_t>(SlotLength(header))) << "main data does not fit the frame";
  frame.insert(frame.end(), mainData.begin(), mainData.end());
  frame.resize(static_cast<std::size_t>(header.frameLength), 0);
  return frame;
}

}  // namespace mp3::test

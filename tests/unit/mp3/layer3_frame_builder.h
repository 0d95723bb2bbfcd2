// Builds Layer III frames by hand for the bitstream tests: a header, side
// information written field by field, and main data.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "bit_writer.h"
#include "player/mp3/frame_header.h"
#include "player/mp3/layer3/side_info.h"

namespace mp3::test {

// Writes `side` as the side information of a frame with `header`, in the
// coded field widths; GranuleInfo's implied fields (switched-window region
// counts, MPEG-2 preflag) are not written.
void WriteSideInfo(BitWriter& out, const FrameHeader& header, const layer3::SideInfo& side);

// A whole frame: the four `headerBytes` (a CRC of zeros after them when the
// header asks for one), the side information and `mainData`, padded with
// zeros to the header's frame length. `mainData` must fit.
std::vector<std::uint8_t> BuildFrame(std::span<const std::uint8_t, 4> headerBytes, const layer3::SideInfo& side,
                                     std::span<const std::uint8_t> mainData);

// The header that `headerBytes` hold; the test fails when they hold none.
FrameHeader HeaderOf(std::span<const std::uint8_t, 4> headerBytes);

// Room for main data in a frame with `header`.
int SlotLength(const FrameHeader& header);

}  // namespace mp3::test

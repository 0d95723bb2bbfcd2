// Whether the player can play a file: it must be an MPEG audio Layer III
// stream of which at least 90% decodes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/mp3check/file_decoder.h"

namespace mp3check {

// The share of the audio that must decode for a file to be playable.
inline constexpr double kMinDecodableShare = 0.9;

struct Verdict {
  bool playable = false;
  std::string refusal;                // why not, when not playable
  std::vector<std::string> warnings;  // mid-file changes of sample rate or channel count
  std::size_t frames = 0;             // audio frames the parser found
  std::size_t decodedFrames = 0;
  // Bytes of the frames that decoded over the file's bytes that are not
  // tags (nor a Xing, Info or VBRI header frame): junk, damaged frames and
  // frames that play as silence all count against it.
  double decodableShare = 0;
};

// Decodes the file at `path` and judges it. `onFrame`, when given, also
// receives every frame (to write the decoded sound).
Verdict CheckFile(const std::filesystem::path& path, const FrameHandler& onFrame = {});

}  // namespace mp3check

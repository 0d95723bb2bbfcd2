// How much of a file is tags rather than audio: ID3v2 tags at its start, and
// at its end an ID3v1 tag and an APE tag (in either order of the two).
#pragma once

#include <cstdint>
#include <filesystem>

namespace mp3check {

struct TagBytes {
  std::uint64_t leading = 0;   // ID3v2 tags before the audio
  std::uint64_t trailing = 0;  // ID3v1 and APE tags after it
};

// The bytes of the file at `path` taken by tags; together at most its size.
// Unreadable parts count as no tag.
TagBytes FindTags(const std::filesystem::path& path);

}  // namespace mp3check

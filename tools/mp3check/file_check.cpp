#include "tools/mp3check/file_check.h"

#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>

#include "player/mp3/frame_header.h"

namespace mp3check {
namespace {

std::string Percent(double share) {
  char text[16];
  std::snprintf(text, sizeof text, "%.1f%%", share * 100);
  return text;
}

struct Tally {
  std::size_t frames = 0;
  std::size_t decodedFrames = 0;
  std::uint64_t decodedBytes = 0;
  std::optional<mp3::FrameHeader> previous;
  std::vector<std::string> warnings;

  void Add(const DecodedFrame& frame) {
    ++frames;
    if (frame.decoded) {
      ++decodedFrames;
      decodedBytes += frame.length;
    }
    if (previous) {
      const std::string at = " at byte " + std::to_string(frame.offset);
      if (previous->sampleRate != frame.header.sampleRate) {
        warnings.push_back("sample rate changes from " + std::to_string(previous->sampleRate) + " Hz to " +
                           std::to_string(frame.header.sampleRate) + " Hz" + at);
      }
      if (previous->channels != frame.header.channels) {
        warnings.push_back("channel count changes from " + std::to_string(previous->channels) + " to " +
                           std::to_string(frame.header.channels) + at);
      }
    }
    previous = frame.header;
  }
};

}  // namespace

Verdict CheckFile(const std::filesystem::path& path, const FrameHandler& onFrame) {
  Verdict verdict;
  Tally tally;
  FileFacts facts;
  try {
    facts = DecodeFile(path, [&](const DecodedFrame& frame) {
      tally.Add(frame);
      if (onFrame) onFrame(frame);
    });
  } catch (const std::exception& e) {
    verdict.refusal = e.what();
    return verdict;
  }
  verdict.frames = tally.frames;
  verdict.decodedFrames = tally.decodedFrames;
  verdict.warnings = std::move(tally.warnings);

  const std::uint64_t audio = facts.size > facts.metadataBytes ? facts.size - facts.metadataBytes : 0;
  verdict.decodableShare = audio > 0 ? static_cast<double>(tally.decodedBytes) / static_cast<double>(audio) : 0;

  if (tally.frames == 0 && facts.freeFormatWithoutLength) {
    verdict.refusal = "free-format stream with no second frame header within " + std::to_string(mp3::kMaxFrameLength) +
                      " bytes: it holds a single frame, or its frames are longer than the " +
                      std::to_string(mp3::kMaxFrameLength) + " bytes supported";
  } else if (tally.frames == 0) {
    verdict.refusal = "not an MP3 file: no MPEG audio Layer III frame found";
  } else if (tally.decodedFrames == 0) {
    verdict.refusal = "no frame decodes (" + std::to_string(tally.frames) + " frames found)";
  } else if (verdict.decodableShare < kMinDecodableShare) {
    verdict.refusal = "only " + Percent(verdict.decodableShare) + " of the audio decodes (at least " +
                      Percent(kMinDecodableShare) + " needed)";
  } else {
    verdict.playable = true;
  }
  return verdict;
}

}  // namespace mp3check

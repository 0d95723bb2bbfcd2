// mp3check's judgement on corpus files and on files made from them: tags
// around the audio, junk, damage, a format change, free format, and files
// that are not MP3 at all.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "player/mp3/frame_header.h"
#include "tools/mp3check/file_check.h"

namespace mp3check {
namespace {

using Bytes = std::vector<std::uint8_t>;

const std::filesystem::path kCorpus = CONFORMANCE_CORPUS_DIR;

Bytes ReadCorpusFile(const std::string& name) {
  std::ifstream in(kCorpus / (name + ".mp3"), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Bytes Text(const std::string& text, std::size_t times = 1) {
  Bytes bytes;
  for (std::size_t i = 0; i < times; ++i) bytes.insert(bytes.end(), text.begin(), text.end());
  return bytes;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// An ID3v2.3 tag of `size` bytes after its header, or ID3v2.4 with a footer.
Bytes Id3v2(std::uint32_t size, bool footer = false) {
  Bytes tag = {'I', 'D', '3', static_cast<std::uint8_t>(footer ? 4 : 3), 0, static_cast<std::uint8_t>(footer ? 0x10 : 0),
               static_cast<std::uint8_t>((size >> 21) & 0x7F), static_cast<std::uint8_t>((size >> 14) & 0x7F),
               static_cast<std::uint8_t>((size >> 7) & 0x7F), static_cast<std::uint8_t>(size & 0x7F)};
  tag.resize(10 + size);
  if (footer) tag.insert(tag.end(), {'3', 'D', 'I', 4, 0, 0x10, 0, 0, 0, 0});
  return tag;
}

Bytes Id3v1() {
  Bytes tag = Text("TAG");
  tag.resize(128, ' ');
  return tag;
}

void PutLittleEndian32(Bytes& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// An APE tag of `version` (1000 or 2000) with `items` bytes of items and a
// footer, and a header before them when `withHeader` (APEv2 only).
Bytes Ape(std::uint32_t items, std::uint32_t version = 2000, bool withHeader = true) {
  const auto block = [&](bool header) {
    Bytes b = Text("APETAGEX");
    const std::uint32_t size = items + 32;
    // Bit 31: the tag has a header; bit 29: this is the header.
    const std::uint32_t flags = withHeader ? (header ? 0xA0000000u : 0x80000000u) : 0;
    for (const std::uint32_t v : {version, size, 0u, flags}) PutLittleEndian32(b, v);
    b.resize(32, 0);
    return b;
  };
  const Bytes footer = Concat({Bytes(items, 'x'), block(false)});
  return withHeader ? Concat({block(true), footer}) : footer;
}

// `bytes` with the emphasis field of every frame header set to `emphasis`.
Bytes WithEmphasis(Bytes bytes, std::uint8_t emphasis) {
  for (std::size_t at = 0; at + 4 <= bytes.size();) {
    const auto header = mp3::ParseHeader(std::span<const std::uint8_t>(bytes).subspan(at));
    if (!header || header->freeFormat) {
      ++at;
      continue;
    }
    bytes[at + 3] = static_cast<std::uint8_t>((bytes[at + 3] & 0xFC) | emphasis);
    at += static_cast<std::size_t>(header->frameLength);
  }
  return bytes;
}

Bytes RandomBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 random(seed);
  Bytes bytes(size);
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
  return bytes;
}

// A WAV file: a RIFF header and a second of 16-bit stereo 44.1 kHz noise.
Bytes Wav() {
  const Bytes samples = RandomBytes(44100 * 4, 7);
  Bytes wav = Text("RIFF");
  PutLittleEndian32(wav, static_cast<std::uint32_t>(36 + samples.size()));
  const Bytes format = Text("WAVEfmt ");
  wav.insert(wav.end(), format.begin(), format.end());
  for (const std::uint32_t v : {16u, 0x00020001u, 44100u, 44100u * 4, 0x00100004u}) PutLittleEndian32(wav, v);
  const Bytes data = Text("data");
  wav.insert(wav.end(), data.begin(), data.end());
  PutLittleEndian32(wav, static_cast<std::uint32_t>(samples.size()));
  return Concat({wav, samples});
}

// `count` MPEG-1 frames (128 kbit/s, 44.1 kHz, stereo, 417 bytes) whose
// first granule claims 511 big-value pairs, more than a granule holds: every
// frame is found, none decodes.
Bytes UndecodableFrames(int count) {
  Bytes frames;
  for (int i = 0; i < count; ++i) {
    Bytes frame = {0xFF, 0xFB, 0x90, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x80};
    frame.resize(417, 0);
    frames.insert(frames.end(), frame.begin(), frame.end());
  }
  return frames;
}

// `count` MPEG-1 free-format frames (44.1 kHz, stereo) of `length` bytes.
Bytes FreeFormatFrames(std::size_t length, int count = 1) {
  Bytes frames;
  for (int i = 0; i < count; ++i) {
    Bytes frame = {0xFF, 0xFB, 0x00, 0x00};
    frame.resize(length, 0);
    frames.insert(frames.end(), frame.begin(), frame.end());
  }
  return frames;
}

class ScratchFile {
 public:
  explicit ScratchFile(const Bytes& bytes)
      : path_(std::filesystem::temp_directory_path() /
              ("mp3check-test-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)) + ".mp3")) {
    std::ofstream(path_, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
  }
  ~ScratchFile() { std::filesystem::remove(path_); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

struct PlayableCase {
  const char* name;
  Bytes bytes;
  double minShare;      // of the audio that decodes
  const char* warning;  // expected start of the only warning; nullptr: none
};

TEST(FileCheckTest, TakesPlayableFiles) {
  const Bytes cbr = ReadCorpusFile("cbr128_joint_44k");
  const Bytes wide = ReadCorpusFile("cbr320_stereo_48k");
  const Bytes narrow = ReadCorpusFile("cbr48_stereo_22k");
  const Bytes mono = ReadCorpusFile("cbr64_mono_44k");
  ASSERT_GT(cbr.size(), 10000u) << "corpus missing in " << kCorpus;
  const PlayableCase cases[] = {
      {"CBR with Info frame", cbr, 0.999, nullptr},
      {"MPEG-2.5 mono", ReadCorpusFile("cbr16_mono_8k"), 0.999, nullptr},
      {"large ID3v2 tag", ReadCorpusFile("id3v2_large_cbr128_44k"), 0.999, nullptr},
      {"tags all around", Concat({Id3v2(5000), Id3v2(300, true), cbr, Ape(4000), Id3v1()}), 0.999, nullptr},
      // Not a tag: an ID3v2 header of version 255 whose size bytes are not syncsafe.
      {"malformed ID3 header before the audio", Concat({Bytes{'I', 'D', '3', 0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}, cbr}),
       0.999, nullptr},
      {"free format", ReadCorpusFile("freeformat_200_joint_44k"), 0.999, nullptr},
      {"free format, 1469-byte frames", ReadCorpusFile("freeformat_450_joint_44k"), 0.999, nullptr},
      {"free format, 2090-byte frames", ReadCorpusFile("freeformat_640_joint_44k"), 0.999, nullptr},
      // The frame before the tag's items has no confirming successor.
      {"APEv2 tag without header (cover art)", Concat({cbr, Ape(8000, 2000, false)}), 0.98, nullptr},
      {"APEv1 tag, then ID3v1", Concat({cbr, Ape(8000, 1000, false), Id3v1()}), 0.98, nullptr},
      {"reserved emphasis in every frame", WithEmphasis(cbr, 2), 0.999, nullptr},
      {"some junk before", Concat({Text("junk", 1000), cbr}), 0.9, nullptr},
      {"sample rate changes", Concat({wide, narrow}), 0.95, "sample rate changes from 48000 Hz to 22050 Hz at byte "},
      {"channel count changes", Concat({cbr, mono}), 0.95, "channel count changes from 2 to 1 at byte "},
  };
  for (const PlayableCase& c : cases) {
    const ScratchFile file(c.bytes);
    const Verdict verdict = CheckFile(file.path());
    EXPECT_TRUE(verdict.playable) << c.name << ": refused: " << verdict.refusal;
    EXPECT_GE(verdict.decodableShare, c.minShare) << c.name;
    EXPECT_LE(verdict.decodableShare, 1.0) << c.name;
    if (c.warning) {
      ASSERT_EQ(verdict.warnings.size(), 1u) << c.name;
      EXPECT_EQ(verdict.warnings[0].rfind(c.warning, 0), 0u) << c.name << ": " << verdict.warnings[0];
    } else {
      EXPECT_TRUE(verdict.warnings.empty()) << c.name << ": " << verdict.warnings.front();
    }
  }
}

struct RefusedCase {
  const char* name;
  Bytes bytes;
  const char* refusal;  // expected start of the reason
};

TEST(FileCheckTest, RefusesFilesThePlayerCannotPlay) {
  const Bytes cbr = ReadCorpusFile("cbr128_joint_44k");
  ASSERT_GT(cbr.size(), 10000u) << "corpus missing in " << kCorpus;
  // Every byte of the frames after the first ten turned into junk that
  // holds no sync word.
  Bytes damaged = cbr;
  std::fill(damaged.begin() + 10 * 418, damaged.end(), 'x');
  const RefusedCase cases[] = {
      {"empty", {}, "not an MP3 file"},
      {"text", Text("not music at all\n", 500), "not an MP3 file"},
      {"only an ID3v2 tag", Id3v2(20000), "not an MP3 file"},
      {"frames that do not decode", UndecodableFrames(20), "no frame decodes (20 frames found)"},
      {"a tenth of the file is audio", Concat({cbr, Text("junk", cbr.size() * 9 / 4)}), "only 9."},
      {"damaged after ten frames", damaged, "only "},
      {"random bytes, 100 KB", RandomBytes(100 * 1024, 7), "not an MP3 file"},
      {"random bytes, 1 MB", RandomBytes(1024 * 1024, 2), "not an MP3 file"},
      {"WAV file", Wav(), "not an MP3 file"},
      {"free-format frame alone", FreeFormatFrames(700),
       "free-format stream with no second frame header within 2881 bytes"},
      {"free-format frames too long", FreeFormatFrames(3000, 20),
       "free-format stream with no second frame header within 2881 bytes"},
  };
  for (const RefusedCase& c : cases) {
    const ScratchFile file(c.bytes);
    const Verdict verdict = CheckFile(file.path());
    EXPECT_FALSE(verdict.playable) << c.name;
    EXPECT_EQ(verdict.refusal.rfind(c.refusal, 0), 0u) << c.name << ": " << verdict.refusal;
  }
  const Verdict missing = CheckFile(kCorpus / "no such file.mp3");
  EXPECT_FALSE(missing.playable);
  EXPECT_EQ(missing.refusal.rfind("cannot open", 0), 0u) << missing.refusal;
  const Verdict folder = CheckFile(kCorpus);
  EXPECT_FALSE(folder.playable);
  EXPECT_EQ(folder.refusal, "a folder, not a file");
}

}  // namespace
}  // namespace mp3check

// The decoder against mpg123 on the conformance corpus that
// tests/fixtures/make-conformance-corpus.sh encodes at build time. Each file
// is read and decoded the way the player does it (StreamParser in chunks,
// tags skipped, Decoder on every frame) and compared sample by sample with
// mpg123's float decode, which writes one frame's samples per audio frame
// from the first audio frame on, and silence for a frame whose bit
// reservoir is missing, as our Decoder does: sample i is compared with
// sample i, without searching for an offset. ffmpeg's decode is a second
// opinion, printed beside it. A file passes when it reaches at least the
// 1-LSB level against mpg123 or, where mpg123 and ffmpeg themselves do not
// reach it against each other, against ffmpeg: of two references that
// disagree, we accept matching either (the table shows which). The table
// goes to stdout and to CONFORMANCE_TABLE, digests of each decode (float
// and 16-bit) to CONFORMANCE_DIGESTS. A cross build's run (the Windows
// builds, 32-bit x86) also requires the native build's digests
// (CONFORMANCE_NATIVE_DIGESTS): every build decodes bit for bit alike.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "player/mp3/decoder.h"
#include "player/mp3/layer3/bitstream.h"
#include "player/mp3/stream_parser.h"
#include "tests/conformance/pcm_comparison.h"
#include "tools/mp3check/file_decoder.h"

namespace conformance {
namespace {

const std::filesystem::path kCorpus = CONFORMANCE_CORPUS_DIR;

// One line of corpus.txt: counts from the side information, read by the
// corpus script independently of the decoder.
struct CorpusFile {
  std::string name;
  std::size_t frames = 0;
  std::size_t granuleChannels = 0;
  std::size_t shortBlocks = 0;
  std::size_t mixedBlocks = 0;
};

std::vector<CorpusFile> ReadCorpus() {
  std::ifstream in(kCorpus / "corpus.txt");
  std::vector<CorpusFile> files;
  CorpusFile f;
  while (in >> f.name >> f.frames >> f.granuleChannels >> f.shortBlocks >> f.mixedBlocks) files.push_back(f);
  return files;
}

std::optional<std::vector<float>> ReadFloats(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::vector<float> samples(bytes.size() / sizeof(float));
  std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
  return samples;
}

struct OurDecode {
  std::vector<float> samples;
  std::vector<std::int16_t> pcm16;
  std::size_t frames = 0;
};

OurDecode DecodeAsThePlayerDoes(const std::string& name) {
  OurDecode result;
  mp3check::DecodeFile(kCorpus / (name + ".mp3"), [&](const mp3check::DecodedFrame& frame) {
    ++result.frames;
    result.samples.insert(result.samples.end(), frame.samples.begin(), frame.samples.end());
  });
  result.pcm16.resize(result.samples.size());
  mp3::ToPcm16(result.samples, result.pcm16);
  return result;
}

// FNV-1a over the bytes of `values`, as 16 hexadecimal digits.
template <typename T>
std::string Digest(const std::vector<T>& values) {
  std::uint64_t hash = 0xCBF29CE484222325u;
  const auto* bytes = reinterpret_cast<const unsigned char*>(values.data());
  for (std::size_t i = 0; i < values.size() * sizeof(T); ++i) hash = (hash ^ bytes[i]) * 0x100000001B3u;
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

#ifdef CONFORMANCE_NATIVE_DIGESTS
// The digests file: a line per corpus file, its name and the digests of its
// float and 16-bit decodes.
std::map<std::string, std::string> ReadDigests(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::map<std::string, std::string> digests;
  std::string name, floats, pcm16;
  while (in >> name >> floats >> pcm16) digests[name] = floats + " " + pcm16;
  return digests;
}
#endif

std::string Figures(const Comparison& c) {
  char text[96];
  std::snprintf(text, sizeof text, "%8.3f %8.3f %8.4f%% %-5s", c.rms / kFullAccuracyRms, c.peak / kFullAccuracyPeak,
                c.withinOneLsb * 100, std::string(LevelName(c.level)).c_str());
  return text;
}

TEST(ConformanceTest, EveryFileDecodesAsMpg123Does) {
  const auto corpus = ReadCorpus();
  ASSERT_GE(corpus.size(), 30u) << "corpus.txt in " << kCorpus << " is missing or short";

  std::ostringstream table;
  table << "RMS and peak in units of the full-accuracy limits (2^-15/sqrt(12), 2^-14); "
           "LSB: 16-bit samples within 1 LSB; mpg123~: mpg123 against ffmpeg\n";
#ifdef CONFORMANCE_NATIVE_DIGESTS
  const auto native = ReadDigests(CONFORMANCE_NATIVE_DIGESTS);
  ASSERT_FALSE(native.empty()) << CONFORMANCE_NATIVE_DIGESTS << " is missing: run the native build's conformance test first";
#endif
  std::ostringstream digests;
  char line[256];
  std::snprintf(line, sizeof line, "%-34s %6s | %8s %8s %9s %-5s | %-33s | %-7s | %s\n", "file", "frames", "RMS",
                "peak", "LSB", "level", "vs ffmpeg: RMS peak LSB level", "mpg123~", "result");
  table << line;
  for (const CorpusFile& file : corpus) {
    const OurDecode ours = DecodeAsThePlayerDoes(file.name);
    const auto mpg123 = ReadFloats(kCorpus / (file.name + ".mpg123.f32"));
    ASSERT_TRUE(mpg123) << file.name << ": mpg123's decode is missing";
    const Comparison vsMpg123 = Compare(ours.samples, ours.pcm16, *mpg123);

    std::string secondOpinion = "n/a (ffmpeg did not take it)";
    std::string references = "n/a";
    const char* result = vsMpg123.level != Level::Fail ? "pass" : "FAIL";
    if (const auto ffmpeg = ReadFloats(kCorpus / (file.name + ".ffmpeg.f32"))) {
      const Comparison vsFfmpeg = Compare(ours.samples, ours.pcm16, *ffmpeg);
      secondOpinion = Figures(vsFfmpeg);
      std::vector<std::int16_t> mpg123Pcm16(mpg123->size());
      mp3::ToPcm16(*mpg123, mpg123Pcm16);
      const Level agreement = Compare(*mpg123, mpg123Pcm16, *ffmpeg).level;
      references = std::string(LevelName(agreement));
      if (vsMpg123.level == Level::Fail && agreement == Level::Fail && vsFfmpeg.level != Level::Fail) {
        result = "pass (=ffmpeg)";
      }
    }
    std::snprintf(line, sizeof line, "%-34s %6zu | %s | %-33s | %-7s | %s\n", file.name.c_str(), ours.frames,
                  Figures(vsMpg123).c_str(), secondOpinion.c_str(), references.c_str(), result);
    table << line;

    const std::string digest = Digest(ours.samples) + " " + Digest(ours.pcm16);
    digests << file.name << " " << digest << "\n";
#ifdef CONFORMANCE_NATIVE_DIGESTS
    const auto nativeDigest = native.find(file.name);
    EXPECT_TRUE(nativeDigest != native.end() && nativeDigest->second == digest)
        << file.name << ": decodes otherwise than the native build (float and 16-bit digests " << digest
        << ", native " << (nativeDigest != native.end() ? nativeDigest->second : "missing") << ")";
#endif
    EXPECT_EQ(ours.frames, file.frames) << file.name << ": the parser found another number of audio frames";
    EXPECT_NE(result[0], 'F')
        << file.name << ": " << vsMpg123.samples << " samples compared, " << vsMpg123.lengthDifference
        << " more in one decode; RMS " << vsMpg123.rms << ", peak " << vsMpg123.peak << ", "
        << vsMpg123.withinOneLsb * 100 << "% within 1 LSB";
  }
  std::fputs(table.str().c_str(), stdout);
  std::ofstream(CONFORMANCE_TABLE) << table.str();
  std::ofstream(CONFORMANCE_DIGESTS) << digests.str();
}

// Our bitstream stage reads the same block types as the corpus script's
// independent side-information reader: short and mixed blocks are really
// there, and really read. Every frame decodes, but the first frames of the
// stream cut before their bit reservoir.
TEST(ConformanceTest, BitstreamReaderSeesTheBlockTypesOfTheSideInformation) {
  for (const CorpusFile& file : ReadCorpus()) {
    std::ifstream in(kCorpus / (file.name + ".mp3"), std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    mp3::StreamParser parser;
    parser.Feed(bytes);
    parser.Finish();
    mp3::layer3::BitstreamReader reader;
    auto data = std::make_unique<mp3::layer3::FrameData>();
    std::size_t granuleChannels = 0, shortBlocks = 0, mixedBlocks = 0, undecoded = 0;
    while (const auto frame = parser.Next()) {
      reader.Read(frame->bytes, frame->header, *data);
      if (!data->decoded) {
        ++undecoded;
        continue;
      }
      for (int g = 0; g < data->granules; ++g) {
        for (int ch = 0; ch < frame->header.channels; ++ch) {
          const auto& info = data->granule[g][ch].info;
          ++granuleChannels;
          shortBlocks += info.windowSwitching && info.blockType == mp3::layer3::BlockType::Short;
          mixedBlocks += info.windowSwitching && info.mixedBlock;
        }
      }
    }
    if (file.name.starts_with("cut_")) {
      EXPECT_GT(undecoded, 0u) << file.name << ": the frames before the cut were not missed";
      continue;
    }
    EXPECT_EQ(undecoded, 0u) << file.name;
    EXPECT_EQ(granuleChannels, file.granuleChannels) << file.name;
    EXPECT_EQ(shortBlocks, file.shortBlocks) << file.name;
    EXPECT_EQ(mixedBlocks, file.mixedBlocks) << file.name;
  }
}

}  // namespace
}  // namespace conformance

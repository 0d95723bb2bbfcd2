#include "player/mp3/layer3/stereo.h"

#include <algorithm>

#include "player/mp3/layer3/stereo_tables.h"

namespace mp3::layer3 {
namespace {

struct Lines {
  int begin;
  int end;
};

void MidSide(Lines lines, std::array<float, kLines>& left, std::array<float, kLines>& right) {
  for (int i = lines.begin; i < lines.end; ++i) {
    const float mid = left[i];
    const float side = right[i];
    left[i] = (mid + side) * kMidSideScale;
    right[i] = (mid - side) * kMidSideScale;
  }
}

bool AllZero(const std::array<float, kLines>& values, Lines lines) {
  return std::all_of(values.begin() + lines.begin, values.begin() + lines.end,
                     [](float v) { return v == 0.0f; });
}

// Decides and applies one band's processing.
class BandProcessor {
 public:
  BandProcessor(const FrameHeader& header, const ChannelGranule& right,
                std::array<float, kLines>& l, std::array<float, kLines>& r)
      : mpeg1_(header.version == Version::Mpeg1),
        midSide_((header.modeExtension & 2) != 0),
        intensityScale_(right.info.scalefacCompress & 1),
        left_(l),
        right_(r) {}

  // A band below the intensity coded region.
  void Plain(Lines lines) {
    if (midSide_) MidSide(lines, left_, right_);
  }

  // A band in the intensity coded region, with its position and the
  // position that marks it as not intensity coded.
  void Intensity(Lines lines, int position, int illegal) {
    if (mpeg1_ ? position >= 7 : position == illegal) {
      Plain(lines);
      return;
    }
    const IntensityWeights w =
        mpeg1_ ? kIntensityMpeg1[position] : kIntensityMpeg2[intensityScale_][position & 31];
    for (int i = lines.begin; i < lines.end; ++i) {
      const float coded = left_[i];
      left_[i] = coded * w.left;
      right_[i] = coded * w.right;
    }
  }

 private:
  bool mpeg1_;
  bool midSide_;
  int intensityScale_;
  std::array<float, kLines>& left_;
  std::array<float, kLines>& right_;
};

}  // namespace

void ProcessStereo(const FrameHeader& header, const ChannelGranule& right,
                   const ScalefactorBands& bands,
                   std::array<float, kLines>& left, std::array<float, kLines>& rightValues) {
  const auto& longStart = bands.longStart;
  const auto& shortStart = bands.shortStart;
  if (header.channelMode != ChannelMode::JointStereo || header.channels != 2) return;
  BandProcessor band(header, right, left, rightValues);
  if ((header.modeExtension & 1) == 0) {
    band.Plain({0, kLines});
    return;
  }
  const GranuleInfo& info = right.info;
  const ScaleFactors& sf = right.scalefactors;

  const auto [longBands, firstShortBand] = BandSplitOf(info, header.version);

  // Short bands, each window on its own: intensity starts above the
  // window's last band with a non-zero right-channel line.
  bool shortNonzero = false;
  for (int w = 0; w < 3; ++w) {
    int firstIntensity = firstShortBand;
    for (int b = 12; b >= firstShortBand; --b) {
      const int width = shortStart[b + 1] - shortStart[b];
      const int begin = shortStart[b] * 3 + w * width;
      if (!AllZero(rightValues, {begin, begin + width})) {
        firstIntensity = b + 1;
        shortNonzero = true;
        break;
      }
    }
    for (int b = firstShortBand; b < 13; ++b) {
      const int width = shortStart[b + 1] - shortStart[b];
      const Lines lines{shortStart[b] * 3 + w * width, shortStart[b] * 3 + (w + 1) * width};
      if (b < firstIntensity) {
        band.Plain(lines);
      } else {
        const int coded = std::min(b, 11);
        band.Intensity(lines, sf.shortBands[coded][w], sf.shortIllegal[coded]);
      }
    }
  }

  // Long bands: intensity starts above the last band with a non-zero
  // right-channel line, and not at all when a short band has one.
  int firstIntensity = longBands;
  if (!shortNonzero) {
    firstIntensity = 0;
    for (int b = longBands - 1; b >= 0; --b) {
      if (!AllZero(rightValues, {longStart[b], longStart[b + 1]})) {
        firstIntensity = b + 1;
        break;
      }
    }
  }
  for (int b = 0; b < longBands; ++b) {
    const Lines lines{longStart[b], longStart[b + 1]};
    if (b < firstIntensity) {
      band.Plain(lines);
    } else {
      const int coded = std::min(b, 20);
      band.Intensity(lines, sf.longBands[coded], sf.longIllegal[coded]);
    }
  }
}

}  // namespace mp3::layer3

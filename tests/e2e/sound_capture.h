// Reads what the programs played: the harness points ALSA at a file sink,
// so every sound lands in one raw file (signed 16-bit little-endian, 44100
// Hz, stereo), appended across opens and processes. The sink takes sound
// faster than real time, so tests look at what arrives, not at timing.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace e2e {

inline constexpr int kCaptureRate = 44100;

// Current size of the capture, in bytes: a mark to read from later.
std::uint64_t CaptureMark();

// Mono samples (left and right averaged) captured after `mark`.
std::vector<float> CapturedSince(std::uint64_t mark);

// Root mean square of `samples` (0 for none).
double Rms(std::span<const float> samples);

// Index of the frequency in `candidates` that is strongest in `samples`.
std::size_t StrongestFrequency(std::span<const float> samples, std::span<const double> candidates);

// Index of the first sample of `samples` that is not near silence; the
// size of `samples` when there is none.
std::size_t FirstSound(std::span<const float> samples);

// The last `count` samples that are not near silence, taken from the end of
// the loud part of `samples`; fewer when there are not that many.
std::vector<float> LastSound(std::span<const float> samples, std::size_t count);

}  // namespace e2e

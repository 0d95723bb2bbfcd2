#include "tests/e2e/sound_capture.h"

#include <windows.h>

#include <cmath>
#include <numbers>
#include <string>

#include "tests/e2e/fixture_paths.h"

namespace e2e {
namespace {

constexpr float kNearSilence = 300.0f;  // in 16-bit sample units

std::wstring CaptureFile() {
  wchar_t path[1024] = {};
  ::GetEnvironmentVariableW(L"E2E_CAPTURE_FILE", path, 1024);
  return path;
}

HANDLE OpenCapture() {
  return ::CreateFileW(CaptureFile().c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Goertzel power of `frequency` in `samples`.
double PowerAt(std::span<const float> samples, double frequency) {
  const double coefficient = 2.0 * std::cos(2.0 * std::numbers::pi * frequency / kCaptureRate);
  double previous = 0.0;
  double beforePrevious = 0.0;
  for (float sample : samples) {
    const double current = sample + coefficient * previous - beforePrevious;
    beforePrevious = previous;
    previous = current;
  }
  return previous * previous + beforePrevious * beforePrevious -
         coefficient * previous * beforePrevious;
}

}  // namespace

std::uint64_t CaptureMark() {
  const HANDLE file = OpenCapture();
  if (file == INVALID_HANDLE_VALUE) return 0;
  LARGE_INTEGER size{};
  ::GetFileSizeEx(file, &size);
  ::CloseHandle(file);
  return static_cast<std::uint64_t>(size.QuadPart) & ~std::uint64_t{3};  // whole frames
}

std::vector<float> CapturedSince(std::uint64_t mark) {
  std::vector<float> samples;
  const HANDLE file = OpenCapture();
  if (file == INVALID_HANDLE_VALUE) return samples;
  LARGE_INTEGER offset{};
  offset.QuadPart = static_cast<LONGLONG>(mark);
  ::SetFilePointerEx(file, offset, nullptr, FILE_BEGIN);
  std::vector<std::int16_t> buffer(1 << 16);
  DWORD read = 0;
  while (::ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size() * 2), &read, nullptr) &&
         read >= 4) {
    const std::size_t frames = read / 4;
    for (std::size_t i = 0; i < frames; ++i) {
      samples.push_back((buffer[2 * i] + buffer[2 * i + 1]) / 2.0f);
    }
  }
  ::CloseHandle(file);
  return samples;
}

double Rms(std::span<const float> samples) {
  if (samples.empty()) return 0.0;
  double sum = 0.0;
  for (float s : samples) sum += static_cast<double>(s) * s;
  return std::sqrt(sum / static_cast<double>(samples.size()));
}

std::size_t StrongestFrequency(std::span<const float> samples, std::span<const double> candidates) {
  std::size_t best = 0;
  double bestPower = -1.0;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    const double power = PowerAt(samples, candidates[i]);
    if (power > bestPower) bestPower = power, best = i;
  }
  return best;
}

std::size_t FirstSound(std::span<const float> samples) {
  std::size_t first = 0;
  while (first < samples.size() && std::fabs(samples[first]) < kNearSilence) ++first;
  return first;
}

std::vector<float> LastSound(std::span<const float> samples, std::size_t count) {
  std::size_t end = samples.size();
  while (end > 0 && std::fabs(samples[end - 1]) < kNearSilence) --end;
  const std::size_t begin = end > count ? end - count : 0;
  return std::vector<float>(samples.begin() + static_cast<std::ptrdiff_t>(begin),
                            samples.begin() + static_cast<std::ptrdiff_t>(end));
}

}  // namespace e2e

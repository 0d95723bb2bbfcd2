// How another program is started: directly, and through the shell's
// elevation path when the system says the program needs elevation.
#pragma once

#include <cstdint>
#include <functional>

namespace rt {

// Win32 error codes that steer the decision.
inline constexpr std::uint32_t kErrorElevationRequired = 740;
inline constexpr std::uint32_t kErrorCancelled = 1223;

enum class StartOutcome {
  Started,   // the program runs
  Declined,  // the person declined the elevation prompt; nothing started
};

// Each attempt returns 0 on success or the Win32 error code of its failure.
using StartAttempt = std::function<std::uint32_t()>;

// Tries `direct`; only when it answers that elevation is required, tries
// `elevated`. Any other failure throws the RuntimeError matching its code.
StartOutcome StartWithElevationFallback(const StartAttempt& direct,
                                        const StartAttempt& elevated);

}  // namespace rt

#include "runtime/core/program_start.h"

#include "runtime/core/runtime_error.h"

namespace rt {

namespace {

// A program that cannot be found is reported as such, whether its file or
// one of its folders is missing.
ErrorNumber StartErrorNumber(std::uint32_t systemError) {
  constexpr std::uint32_t kErrorPathNotFound = 3;
  return systemError == kErrorPathNotFound ? ErrorNumber::FileNotFound
                                           : ErrorNumberFromSystemError(systemError);
}

}  // namespace

StartOutcome StartWithElevationFallback(const StartAttempt& direct,
                                        const StartAttempt& elevated) {
  const std::uint32_t directError = direct();
  if (directError == 0) return StartOutcome::Started;
  if (directError != kErrorElevationRequired) {
    throw RuntimeError(StartErrorNumber(directError), "CreateProcessW");
  }
  const std::uint32_t elevatedError = elevated();
  if (elevatedError == 0) return StartOutcome::Started;
  if (elevatedError == kErrorCancelled) return StartOutcome::Declined;
  throw RuntimeError(StartErrorNumber(elevatedError), "ShellExecuteExW");
}

}  // namespace rt

#include "runtime/core/program_start.h"

#include <gtest/gtest.h>

#include "runtime/core/runtime_error.h"

namespace rt {
namespace {

struct Attempts {
  std::uint32_t directError;
  std::uint32_t elevatedError;
  int directCalls = 0;
  int elevatedCalls = 0;

  StartOutcome Run() {
    return StartWithElevationFallback([this] { return ++directCalls, directError; },
                                      [this] { return ++elevatedCalls, elevatedError; });
  }
};

TEST(StartWithElevationFallback, ElevatesOnlyWhenTheSystemAsksForIt) {
  struct Case {
    const char* what;
    std::uint32_t directError, elevatedError;
    StartOutcome expected;
    int elevatedCalls;
  };
  const Case cases[] = {
      {"starts directly", 0, 0, StartOutcome::Started, 0},
      {"elevation granted", kErrorElevationRequired, 0, StartOutcome::Started, 1},
      {"elevation declined", kErrorElevationRequired, kErrorCancelled, StartOutcome::Declined, 1},
  };
  for (const Case& c : cases) {
    Attempts attempts{c.directError, c.elevatedError};
    EXPECT_EQ(attempts.Run(), c.expected) << c.what;
    EXPECT_EQ(attempts.directCalls, 1) << c.what;
    EXPECT_EQ(attempts.elevatedCalls, c.elevatedCalls) << c.what;
  }
}

TEST(StartWithElevationFallback, RaisesForEveryOtherFailure) {
  struct Case {
    const char* what;
    std::uint32_t directError, elevatedError;
    ErrorNumber expected;
    int elevatedCalls;
  };
  const Case cases[] = {
      {"file not found", 2, 0, ErrorNumber::FileNotFound, 0},
      {"folder not found", 3, 0, ErrorNumber::FileNotFound, 0},
      {"access denied", 5, 0, ErrorNumber::PermissionDenied, 0},
      {"disc taken out", 21, 0, ErrorNumber::DiskNotReady, 0},
      {"bad executable", 193, 0, ErrorNumber::InvalidProcedureCall, 0},
      {"elevated start fails", kErrorElevationRequired, 2, ErrorNumber::FileNotFound, 1},
  };
  for (const Case& c : cases) {
    Attempts attempts{c.directError, c.elevatedError};
    try {
      attempts.Run();
      ADD_FAILURE() << c.what << ": no error raised";
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.number(), c.expected) << c.what;
    }
    EXPECT_EQ(attempts.elevatedCalls, c.elevatedCalls) << c.what;
  }
}

}  // namespace
}  // namespace rt

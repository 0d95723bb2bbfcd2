#include "runtime/core/runtime_error.h"

#include <gtest/gtest.h>

namespace rt {
namespace {

TEST(FormatErrorReport, GivesNumberThenDescription) {
  EXPECT_EQ(FormatErrorReport(ErrorNumber::FileNotFound), L"运行时错误 '53':\n\n文件未找到");
  EXPECT_EQ(FormatErrorReport(ErrorNumber::Overflow), L"运行时错误 '6':\n\n溢出");
}

TEST(RuntimeError, CarriesNumberDescriptionAndFailedCall) {
  const RuntimeError error(ErrorNumber::PermissionDenied, "CreateProcessW");
  EXPECT_EQ(error.number(), ErrorNumber::PermissionDenied);
  EXPECT_EQ(error.description(), DescribeError(ErrorNumber::PermissionDenied));
  EXPECT_EQ(error.failedCall(), "CreateProcessW");
  EXPECT_NE(std::string(error.what()).find("CreateProcessW"), std::string::npos);
}

TEST(DescribeError, EveryKnownNumberHasItsOwnDescription) {
  const ErrorNumber numbers[] = {
      ErrorNumber::InvalidProcedureCall, ErrorNumber::Overflow,
      ErrorNumber::OutOfMemory,          ErrorNumber::TypeMismatch,
      ErrorNumber::FileNotFound,         ErrorNumber::PermissionDenied,
      ErrorNumber::PathFileAccessError,  ErrorNumber::PathNotFound,
      ErrorNumber::CannotCreateObject,   ErrorNumber::MethodNotSupported,
      ErrorNumber::ArgumentNotOptional,  ErrorNumber::InvalidPicture,
  };
  const std::wstring generic = DescribeError(static_cast<ErrorNumber>(9999));
  for (ErrorNumber a : numbers) {
    EXPECT_NE(DescribeError(a), generic) << static_cast<int>(a);
    for (ErrorNumber b : numbers) {
      if (a != b) {
        EXPECT_NE(DescribeError(a), DescribeError(b)) << static_cast<int>(a);
      }
    }
  }
}

TEST(ErrorNumberFromSystemError, MapsFileAndProcessFailures) {
  struct Case {
    std::uint32_t systemError;
    ErrorNumber expected;
  };
  const Case cases[] = {
      {2, ErrorNumber::FileNotFound},      {3, ErrorNumber::PathNotFound},
      {5, ErrorNumber::PermissionDenied},  {32, ErrorNumber::PathFileAccessError},
      {8, ErrorNumber::OutOfMemory},       {193, ErrorNumber::InvalidProcedureCall},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ErrorNumberFromSystemError(c.systemError), c.expected) << c.systemError;
  }
}

}  // namespace
}  // namespace rt

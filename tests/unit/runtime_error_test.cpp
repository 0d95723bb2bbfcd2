#include "runtime/core/runtime_error.h"

#include <gtest/gtest.h>

namespace rt {
namespace {

TEST(FormatErrorReport, GivesNumberThenDescription) {
  struct Case {
    ErrorNumber number;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {ErrorNumber::FileNotFound, L"运行时错误 '53':\n\n文件未找到"},
      {ErrorNumber::Overflow, L"运行时错误 '6':\n\n溢出"},
      {ErrorNumber::DiskNotReady, L"运行时错误 '71':\n\n磁盘未准备好"},
      {ErrorNumber::MethodNotSupported, L"运行时错误 '438':\n\n对象不支持该属性或方法"},
      {static_cast<ErrorNumber>(-2147483647 - 1),
       L"运行时错误 '-2147483648':\n\n应用程序定义的错误或对象定义的错误"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(std::wstring(FormatErrorReport(c.number).data()), c.expected)
        << static_cast<int>(c.number);
  }
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
      ErrorNumber::DiskNotReady,
      ErrorNumber::CannotCreateObject,   ErrorNumber::MethodNotSupported,
      ErrorNumber::ArgumentNotOptional,  ErrorNumber::InvalidPicture,
  };
  const std::wstring_view generic = DescribeError(static_cast<ErrorNumber>(9999));
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
      {21, ErrorNumber::DiskNotReady},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ErrorNumberFromSystemError(c.systemError), c.expected) << c.systemError;
  }
}

}  // namespace
}  // namespace rt

#include "runtime/core/runtime_error.h"

#include <utility>

namespace rt {

RuntimeError::RuntimeError(ErrorNumber number, std::string failedCall)
    : std::runtime_error(failedCall + " failed with run-time error " +
                         std::to_string(static_cast<int>(number))),
      number_(number),
      description_(DescribeError(number)),
      failedCall_(std::move(failedCall)) {}

std::wstring_view DescribeError(ErrorNumber number) noexcept {
  switch (number) {
    case ErrorNumber::InvalidProcedureCall: return L"无效的过程调用或参数";
    case ErrorNumber::Overflow: return L"溢出";
    case ErrorNumber::OutOfMemory: return L"内存不足";
    case ErrorNumber::TypeMismatch: return L"类型不匹配";
    case ErrorNumber::FileNotFound: return L"文件未找到";
    case ErrorNumber::PermissionDenied: return L"没有权限";
    case ErrorNumber::DiskNotReady: return L"磁盘未准备好";
    case ErrorNumber::PathFileAccessError: return L"路径/文件访问错误";
    case ErrorNumber::PathNotFound: return L"路径未找到";
    case ErrorNumber::CannotCreateObject: return L"部件不能创建对象";
    case ErrorNumber::MethodNotSupported: return L"对象不支持该属性或方法";
    case ErrorNumber::ArgumentNotOptional: return L"参数不可选";
    case ErrorNumber::InvalidPicture: return L"图片无效";
  }
  return L"应用程序定义的错误或对象定义的错误";
}

ErrorReportText FormatErrorReport(ErrorNumber number) noexcept {
  ErrorReportText text{};
  std::size_t length = 0;
  // Appends what fits, always leaving room for the terminating null.
  const auto append = [&](std::wstring_view part) {
    for (const wchar_t c : part) {
      if (length + 1 >= text.size()) return;
      text[length++] = c;
    }
  };
  wchar_t digits[12];
  std::size_t count = 0;
  long long value = static_cast<int>(number);
  const bool negative = value < 0;
  if (negative) value = -value;
  do {
    digits[count++] = static_cast<wchar_t>(L'0' + value % 10);
    value /= 10;
  } while (value != 0);
  append(L"运行时错误 '");
  if (negative) append(L"-");
  while (count > 0) append(std::wstring_view(&digits[--count], 1));
  append(L"':\n\n");
  append(DescribeError(number));
  return text;
}

ErrorNumber ErrorNumberFromSystemError(std::uint32_t systemError) {
  // Win32 error codes, spelled out so that this file needs no <windows.h>.
  switch (systemError) {
    case 2:     // ERROR_FILE_NOT_FOUND
    case 123:   // ERROR_INVALID_NAME
      return ErrorNumber::FileNotFound;
    case 3:     // ERROR_PATH_NOT_FOUND
    case 161:   // ERROR_BAD_PATHNAME
      return ErrorNumber::PathNotFound;
    case 5:     // ERROR_ACCESS_DENIED
    case 740:   // ERROR_ELEVATION_REQUIRED
      return ErrorNumber::PermissionDenied;
    case 8:     // ERROR_NOT_ENOUGH_MEMORY
    case 14:    // ERROR_OUTOFMEMORY
      return ErrorNumber::OutOfMemory;
    case 32:    // ERROR_SHARING_VIOLATION
    case 33:    // ERROR_LOCK_VIOLATION
      return ErrorNumber::PathFileAccessError;
    case 21:    // ERROR_NOT_READY: a drive without its disc
      return ErrorNumber::DiskNotReady;
    default:
      return ErrorNumber::InvalidProcedureCall;
  }
}

}  // namespace rt

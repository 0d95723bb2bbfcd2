#include "runtime/core/runtime_error.h"

#include <utility>

namespace rt {

RuntimeError::RuntimeError(ErrorNumber number, std::string failedCall)
    : std::runtime_error(failedCall + " failed with run-time error " +
                         std::to_string(static_cast<int>(number))),
      number_(number),
      description_(DescribeError(number)),
      failedCall_(std::move(failedCall)) {}

std::wstring DescribeError(ErrorNumber number) {
  switch (number) {
    case ErrorNumber::InvalidProcedureCall: return L"无效的过程调用或参数";
    case ErrorNumber::Overflow: return L"溢出";
    case ErrorNumber::OutOfMemory: return L"内存不足";
    case ErrorNumber::TypeMismatch: return L"类型不匹配";
    case ErrorNumber::FileNotFound: return L"文件未找到";
    case ErrorNumber::PermissionDenied: return L"没有权限";
    case ErrorNumber::PathFileAccessError: return L"路径/文件访问错误";
    case ErrorNumber::PathNotFound: return L"路径未找到";
    case ErrorNumber::CannotCreateObject: return L"部件不能创建对象";
    case ErrorNumber::MethodNotSupported: return L"对象不支持该属性或方法";
    case ErrorNumber::ArgumentNotOptional: return L"参数不可选";
    case ErrorNumber::InvalidPicture: return L"图片无效";
  }
  return L"应用程序定义的错误或对象定义的错误";
}

std::wstring FormatErrorReport(ErrorNumber number) {
  return L"运行时错误 '" + std::to_wstring(static_cast<int>(number)) + L"':\n\n" +
         DescribeError(number);
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
    default:
      return ErrorNumber::InvalidProcedureCall;
  }
}

}  // namespace rt

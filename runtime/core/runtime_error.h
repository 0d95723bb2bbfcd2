// The one failure currency of the runtime: a run-time error number with its
// description and the call that failed. Runtime services and component calls
// throw it; the runtime catches it where an action returns and reports it.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace rt {

// Error numbers the runtime raises. The values follow the numbering that
// users of this kind of program know from its error reports.
enum class ErrorNumber : std::int32_t {
  InvalidProcedureCall = 5,
  Overflow = 6,
  OutOfMemory = 7,
  TypeMismatch = 13,
  FileNotFound = 53,
  PermissionDenied = 70,
  DiskNotReady = 71,
  PathFileAccessError = 75,
  PathNotFound = 76,
  CannotCreateObject = 429,
  MethodNotSupported = 438,
  ArgumentNotOptional = 449,
  InvalidPicture = 481,
};

class RuntimeError : public std::runtime_error {
 public:
  // failedCall names the operation that failed, e.g. "CreateProcessW".
  RuntimeError(ErrorNumber number, std::string failedCall);

  ErrorNumber number() const noexcept { return number_; }
  // The description shown in the error report (the product's locale).
  const std::wstring& description() const noexcept { return description_; }
  const std::string& failedCall() const noexcept { return failedCall_; }

 private:
  ErrorNumber number_;
  std::wstring description_;
  std::string failedCall_;
};

// Description of a run-time error number in the product's locale (Chinese,
// PRC); an unknown number gets a generic description. Static text.
std::wstring_view DescribeError(ErrorNumber number) noexcept;

// The body of the error report, null-terminated in a fixed array: heading
// line with the number, a blank line, then the description. It allocates
// nothing, so that running out of memory can be reported.
using ErrorReportText = std::array<wchar_t, 96>;
ErrorReportText FormatErrorReport(ErrorNumber number) noexcept;

// Maps a Win32 error code (GetLastError) from a file or process operation to
// the run-time error number a user should see.
ErrorNumber ErrorNumberFromSystemError(std::uint32_t systemError);

}  // namespace rt

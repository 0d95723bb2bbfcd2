#include "runtime/win/win_error.h"

#include <windows.h>

namespace rt {

void ThrowLastError(const char* failedCall) {
  throw RuntimeError(ErrorNumberFromSystemError(::GetLastError()), failedCall);
}

}  // namespace rt

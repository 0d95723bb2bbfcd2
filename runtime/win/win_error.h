// Turns failed Win32 calls into the runtime's one error type.
#pragma once

#include "runtime/core/runtime_error.h"

namespace rt {

// Throws the RuntimeError matching GetLastError() for the named call.
[[noreturn]] void ThrowLastError(const char* failedCall);

// Throws unless `ok`; meant for calls that return BOOL or a handle.
template <class T>
T Check(T result, const char* failedCall) {
  if (!result) ThrowLastError(failedCall);
  return result;
}

}  // namespace rt

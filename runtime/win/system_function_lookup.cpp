#include "runtime/win/system_functions.h"

namespace rt {

FARPROC FindSystemFunction(HMODULE module, const char* name) {
  return ::GetProcAddress(module, name);
}

}  // namespace rt

// An outside component hosted on a window and called by dispatch identifier.
#pragma once

#include <memory>
#include <span>

#include "runtime/core/variant.h"

namespace rt {

using DispatchId = int;

class Component {
 public:
  virtual ~Component() = default;

  // Calls the method `id` with `args` passed by value, in order. Returns the
  // method's result (empty when it has none). Throws RuntimeError when the
  // call fails, e.g. MethodNotSupported for an unknown identifier.
  virtual Variant Invoke(DispatchId id, std::span<const Variant> args) = 0;
};

// Creates a component when the window that hosts it is built; ownership goes
// to the window. Throws RuntimeError CannotCreateObject when it cannot.
using ComponentFactory = std::unique_ptr<Component> (*)();

}  // namespace rt

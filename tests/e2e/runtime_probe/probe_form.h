// The one window of the runtime probe: a program built on the window runtime
// only for tests of the runtime itself. What it does wrong, and when, is
// chosen by its command line, so that the tests can raise run-time errors
// at each point of a program's life and watch the runtime report them.
#pragma once

#include <string_view>

#include "runtime/win/form.h"

namespace probe {

enum class Fault {
  None,              // the button counts its clicks in the caption
  ComponentFails,    // the hosted component cannot be created at start-up
  LoadFails,         // the load action raises
  ClickFails,        // the button's click action raises
  ClickUnloadsThenFails,  // the click action unloads its window, then raises
};

// The fault named by `argument`; None for an unknown or empty one.
Fault FaultNamed(std::wstring_view argument);

class ProbeForm final : public rt::Form {
 public:
  explicit ProbeForm(Fault fault);

 private:
  void OnLoad() override;
  void OnClick(std::wstring_view control) override;

  Fault fault_;
  int clicks_ = 0;
};

}  // namespace probe

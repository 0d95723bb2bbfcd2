// The one window of the runtime probe: a program built on the window runtime
// only for tests of the runtime itself. What it does wrong, and when, is
// chosen by its command line, so that the tests can raise run-time errors
// at each point of a program's life and watch the runtime report them, make
// its drawing run out of GDI handles, and show it on screens (faked) of
// other scales than Wine's one.
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
  OutOfMemory,       // the click action runs out of memory, as does every later request
  ScaleChangeFails,  // the button's face has no drawing for any scale but 100%
  // The modes below show the drawn form: a button with a face picture, a
  // picture box with a picture, an icon; the button counts its clicks.
  PaintFails,        // the drawing's device contexts and bitmaps are refused at first;
                     // the form has a background picture as well
  CentredOnScreens,  // centred, on the fake screens of probe_modes.h
  PlacedOnScreens,   // where the window manager puts it, on the fake screens
  ScaleChangesWhilePlacing,  // centred on the fake screens; WM_DPICHANGED while placed
  AsOnWindows81,     // GetDpiForWindow & co. missing; GetDpiForMonitor gives the fake scale
};

// The fault named by `argument`; None for an unknown or empty one.
Fault FaultNamed(std::wstring_view argument);

// The fault this process runs with; set once, before the program starts.
Fault CurrentFault();
void SetCurrentFault(Fault fault);

// The system's scale as this process sees it (the screen's LOGPIXELSY).
int SystemDpi();

// From the call on, every request for memory through operator new fails
// (probe_seams.cpp); the system's own allocations are not affected.
void RefuseMemoryFromNowOn();

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

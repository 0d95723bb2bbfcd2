#include "tests/e2e/runtime_probe/probe_form.h"

#include <windows.h>

#include <string>

#include "runtime/core/runtime_error.h"

namespace probe {
namespace {

std::unique_ptr<rt::Component> ComponentThatCannotBeCreated() {
  throw rt::RuntimeError(rt::ErrorNumber::CannotCreateObject, "CreateComponent");
}

constexpr rt::ControlDescription kButtonOnly[] = {
    {.name = L"Command1", .rect = {240, 120, 975, 300}, .tabIndex = 0, .text = L"Click"},
};

constexpr rt::ControlDescription kButtonAndFailingComponent[] = {
    {.name = L"Command1", .rect = {240, 120, 975, 300}, .tabIndex = 0, .text = L"Click"},
    {.name = L"player",
     .kind = rt::ControlKind::ComponentHost,
     .rect = {1440, 120, 375, 495},
     .shown = false,
     .component = &ComponentThatCannotBeCreated},
};

constexpr rt::WindowDescription Describe(std::span<const rt::ControlDescription> controls) {
  return {.name = L"ProbeForm",
          .caption = L"clicks: 0",
          .client = {0, 0, 3000, 1200},
          .backColor = rt::MakeRgb(0x47, 0x7A, 0xCB),
          .controls = controls};
}

constexpr rt::WindowDescription kPlainForm = Describe(kButtonOnly);
constexpr rt::WindowDescription kFormWithFailingComponent = Describe(kButtonAndFailingComponent);

}  // namespace

Fault FaultNamed(std::wstring_view argument) {
  if (argument == L"component-fails") return Fault::ComponentFails;
  if (argument == L"load-fails") return Fault::LoadFails;
  if (argument == L"click-fails") return Fault::ClickFails;
  if (argument == L"click-unloads-then-fails") return Fault::ClickUnloadsThenFails;
  return Fault::None;
}

ProbeForm::ProbeForm(Fault fault)
    : rt::Form(fault == Fault::ComponentFails ? kFormWithFailingComponent : kPlainForm),
      fault_(fault) {}

void ProbeForm::OnLoad() {
  if (fault_ == Fault::LoadFails) {
    throw rt::RuntimeError(rt::ErrorNumber::FileNotFound, "load action");
  }
}

void ProbeForm::OnClick(std::wstring_view) {
  switch (fault_) {
    case Fault::ClickFails:
      throw rt::RuntimeError(rt::ErrorNumber::FileNotFound, "click action");
    case Fault::ClickUnloadsThenFails:
      Unload();
      throw rt::RuntimeError(rt::ErrorNumber::FileNotFound, "click action");
    default:
      ++clicks_;
      ::SetWindowTextW(hwnd(), (L"clicks: " + std::to_wstring(clicks_)).c_str());
      break;
  }
}

}  // namespace probe

#include "tests/e2e/runtime_probe/probe_form.h"

#include <windows.h>

#include <new>
#include <string>

#include "runtime/core/runtime_error.h"
#include "runtime/win/display_scale.h"
#include "tests/e2e/runtime_probe/probe_modes.h"
#include "tests/e2e/runtime_probe/probe_resources.h"

namespace probe {
namespace {

Fault g_fault = Fault::None;

std::unique_ptr<rt::Component> ComponentThatCannotBeCreated() {
  throw rt::RuntimeError(rt::ErrorNumber::CannotCreateObject, "CreateComponent");
}

constexpr rt::ControlDescription kButtonOnly[] = {
    {.name = L"Command1", .rect = {240, 120, 975, 300}, .tabIndex = 0, .text = kButtonText},
};

constexpr rt::ControlDescription kButtonAndFailingComponent[] = {
    {.name = L"Command1", .rect = {240, 120, 975, 300}, .tabIndex = 0, .text = kButtonText},
    {.name = L"player",
     .kind = rt::ControlKind::ComponentHost,
     .rect = {1440, 120, 375, 495},
     .shown = false,
     .component = &ComponentThatCannotBeCreated},
};

constexpr rt::ControlDescription kButtonDrawnAt100Only[] = {
    {.name = L"Command1",
     .kind = rt::ControlKind::PictureButton,
     .rect = {240, 120, 975, 300},
     .tabIndex = 0,
     .picture = IDB_PROBE_FACE_AT_100_ONLY,
     .text = kButtonText},
};

// A face of 60x15 pixels in a button of 65x20 (at 96 dpi): whole inside the
// frame at every scale. A picture of 73x54 in a box of 81x57.
constexpr rt::ControlDescription kDrawnControls[] = {
    {.name = L"Command1",
     .kind = rt::ControlKind::PictureButton,
     .rect = {240, 120, 975, 300},
     .tabIndex = 0,
     .picture = IDB_PROBE_FACE,
     .text = kButtonText},
    {.name = L"Picture1",
     .kind = rt::ControlKind::PictureBox,
     .rect = {1440, 120, 1215, 855},
     .tabIndex = 1,
     .picture = IDB_PROBE_PICTURE,
     .text = kBoxText},
};

constexpr rt::WindowDescription Describe(
    std::span<const rt::ControlDescription> controls,
    rt::StartPosition start = rt::StartPosition::WindowsDefault, rt::ResourceId icon = 0,
    rt::ResourceId background = 0) {
  return {.name = L"ProbeForm",
          .caption = L"clicks: 0",
          .client = {0, 0, 3000, 1200},
          .startPosition = start,
          .icon = icon,
          .background = background,
          .backColor = rt::MakeRgb(0x47, 0x7A, 0xCB),
          .controls = controls};
}

constexpr rt::WindowDescription kPlainForm = Describe(kButtonOnly);
constexpr rt::WindowDescription kFormWithFailingComponent = Describe(kButtonAndFailingComponent);
constexpr rt::WindowDescription kFormDrawnAt100Only = Describe(kButtonDrawnAt100Only);
constexpr rt::WindowDescription kDrawnForm =
    Describe(kDrawnControls, rt::StartPosition::WindowsDefault, IDI_PROBE);
// The drawn form over a background picture of 73x54 pixels (at 96 dpi).
constexpr rt::WindowDescription kDrawnFormOverPicture =
    Describe(kDrawnControls, rt::StartPosition::WindowsDefault, IDI_PROBE, IDB_PROBE_PICTURE);
constexpr rt::WindowDescription kCentredDrawnForm =
    Describe(kDrawnControls, rt::StartPosition::CenterScreen, IDI_PROBE);

const rt::WindowDescription& DescriptionFor(Fault fault) {
  switch (fault) {
    case Fault::ComponentFails:
      return kFormWithFailingComponent;
    case Fault::ScaleChangeFails:
      return kFormDrawnAt100Only;
    case Fault::PaintFails:
      return kDrawnFormOverPicture;
    case Fault::PlacedOnScreens:
    case Fault::AsOnWindows81:
      return kDrawnForm;
    case Fault::CentredOnScreens:
    case Fault::ScaleChangesWhilePlacing:
      return kCentredDrawnForm;
    default:
      return kPlainForm;
  }
}

void SetIntegerProperty(HWND window, const wchar_t* name, int value) {
  ::SetPropW(window, name, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(value)));
}

int IconWidth(HWND window, WPARAM which) {
  const auto icon = reinterpret_cast<HICON>(::SendMessageW(window, WM_GETICON, which, 0));
  ICONINFO info{};
  if (!icon || !::GetIconInfo(icon, &info)) return 0;
  BITMAP bitmap{};
  ::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor) ::DeleteObject(info.hbmColor);
  if (info.hbmMask) ::DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

}  // namespace

Fault FaultNamed(std::wstring_view argument) {
  if (argument == L"component-fails") return Fault::ComponentFails;
  if (argument == L"load-fails") return Fault::LoadFails;
  if (argument == L"click-fails") return Fault::ClickFails;
  if (argument == L"click-unloads-then-fails") return Fault::ClickUnloadsThenFails;
  if (argument == L"out-of-memory") return Fault::OutOfMemory;
  if (argument == L"scale-change-fails") return Fault::ScaleChangeFails;
  if (argument == L"paint-fails") return Fault::PaintFails;
  if (argument == L"centred-on-screens") return Fault::CentredOnScreens;
  if (argument == L"placed-on-screens") return Fault::PlacedOnScreens;
  if (argument == L"scale-changes-while-placing") return Fault::ScaleChangesWhilePlacing;
  if (argument == L"as-on-windows-8.1") return Fault::AsOnWindows81;
  return Fault::None;
}

Fault CurrentFault() { return g_fault; }
void SetCurrentFault(Fault fault) { g_fault = fault; }

int SystemDpi() {
  const HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return dpi;
}

ProbeForm::ProbeForm(Fault fault) : rt::Form(DescriptionFor(fault)), fault_(fault) {}

void ProbeForm::OnLoad() {
  if (fault_ == Fault::LoadFails) {
    throw rt::RuntimeError(rt::ErrorNumber::FileNotFound, "load action");
  }
  // What the runtime chose, for the tests to read.
  SetIntegerProperty(hwnd(), kLayoutDpiProperty, dpi());
  SetIntegerProperty(hwnd(), kWindowDpiProperty, rt::WindowDpi(hwnd()));
  SetIntegerProperty(hwnd(), kBigIconProperty, IconWidth(hwnd(), ICON_BIG));
  SetIntegerProperty(hwnd(), kSmallIconProperty, IconWidth(hwnd(), ICON_SMALL));
  SetIntegerProperty(hwnd(), kErrorModeProperty, static_cast<int>(::GetThreadErrorMode()));
}

void ProbeForm::OnClick(std::wstring_view) {
  switch (fault_) {
    case Fault::ClickFails:
      throw rt::RuntimeError(rt::ErrorNumber::FileNotFound, "click action");
    case Fault::ClickUnloadsThenFails:
      Unload();
      throw rt::RuntimeError(rt::ErrorNumber::FileNotFound, "click action");
    case Fault::OutOfMemory:
      RefuseMemoryFromNowOn();
      throw std::bad_alloc();
    default:
      ++clicks_;
      ::SetWindowTextW(hwnd(), (L"clicks: " + std::to_wstring(clicks_)).c_str());
      break;
  }
}

}  // namespace probe

// The stored description of Form1.
#pragma once

#include "launcher/resource_ids.h"
#include "runtime/core/description.h"

namespace launcher {

inline constexpr rt::ControlDescription kForm1Controls[] = {
    {.name = L"Command2",
     .kind = rt::ControlKind::PictureButton,
     .rect = {3120, 5880, 1575, 375},
     .tabIndex = 1,
     .picture = IDB_TRADITIONAL_FACE,
     .text = L"繁体版"},
    {.name = L"Command1",
     .kind = rt::ControlKind::PictureButton,
     .rect = {720, 5880, 1575, 375},
     .tabIndex = 0,
     .picture = IDB_SIMPLIFIED_FACE,
     .text = L"简体版"},
};

inline constexpr rt::WindowDescription kForm1 = {
    .name = L"Form1",
    .caption = L"",
    .client = {45, 285, 5415, 6735},
    .frameStyle = rt::FrameStyle::FixedToolWindow,
    .controlBox = true,
    .maxButton = false,
    .minButton = false,
    .showInTaskbar = false,
    .startPosition = rt::StartPosition::CenterScreen,
    .icon = IDI_SETUP,
    .background = IDB_COVER,
    .backColor = rt::MakeRgb(0, 0, 0),
    .controls = kForm1Controls,
};
static_assert(rt::ConvertsToWholePixels(kForm1));

}  // namespace launcher

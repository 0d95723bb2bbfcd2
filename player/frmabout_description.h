// The stored description of frmabout, the player's information window.
#pragma once

#include "player/resource_ids.h"
#include "runtime/core/description.h"

namespace player {

inline constexpr rt::ControlDescription kLogoBox[] = {
    // 1150 twips is not a whole number of pixels; drawn 77 wide, and
    // clipped by Picture1's inner area anyway.
    {.name = L"Picture2",
     .kind = rt::ControlKind::PictureBox,
     .rect = {0, 0, 1150, 855},
     .tabIndex = 1,
     .picture = IDB_ABOUT_LOGO,
     .widthRoundsToNearestPixel = true},
};

inline constexpr rt::ControlDescription kFrmaboutControls[] = {
    {.name = L"Picture1",
     .kind = rt::ControlKind::PictureBox,
     .rect = {120, 120, 1215, 855},
     .tabIndex = 0,
     .children = kLogoBox},
};

inline constexpr rt::WindowDescription kFrmabout = {
    .name = L"frmabout",
    .caption = L"VOLN",
    .client = {45, 330, 4935, 3420},
    .frameStyle = rt::FrameStyle::FixedDialog,
    .controlBox = true,
    .maxButton = false,
    .minButton = false,
    .showInTaskbar = false,
    .startPosition = rt::StartPosition::WindowsDefault,
    .icon = IDI_ABOUT,
    .background = IDB_ABOUT_CARD,
    .backColor = rt::MakeRgb(0xFF, 0xFF, 0xFF),
    .controls = kFrmaboutControls,
};
static_assert(rt::ConvertsToWholePixels(kFrmabout));

}  // namespace player

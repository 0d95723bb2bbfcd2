// The stored description of mp3play, the player's start-up window.
#pragma once

#include "player/playback/mp3_player.h"
#include "player/resource_ids.h"
#include "runtime/core/description.h"

namespace player {

// Every button is 975x300 twips (65x20 pixels) with a 60x15 face.
constexpr rt::ControlDescription PlayerButton(const wchar_t* name, int left, int top,
                                              std::int16_t tabIndex, rt::ResourceId face,
                                              const wchar_t* text) {
  return {.name = name,
          .kind = rt::ControlKind::PictureButton,
          .rect = {left, top, 975, 300},
          .tabIndex = tabIndex,
          .picture = face,
          .text = text};
}

// Stored order, which is also stacking order: Command8 lies in front.
inline constexpr rt::ControlDescription kMp3playControls[] = {
    PlayerButton(L"Command8", 3840, 720, 8, IDB_FACE_EXIT, L"退出"),
    PlayerButton(L"Command7", 2640, 720, 7, IDB_FACE_ABOUT, L"關于"),
    PlayerButton(L"Command6", 1440, 720, 6, IDB_FACE_STOP, L"停止"),
    PlayerButton(L"Command5", 240, 720, 5, IDB_FACE_TRACK5, L"行街"),
    PlayerButton(L"Command4", 3840, 120, 4, IDB_FACE_TRACK4, L"陽春白雪"),
    PlayerButton(L"Command3", 2640, 120, 3, IDB_FACE_TRACK3, L"寒鴉戲水"),
    PlayerButton(L"Command2", 1440, 120, 2, IDB_FACE_TRACK2, L"梅花三弄"),
    PlayerButton(L"Command1", 240, 120, 1, IDB_FACE_TRACK1, L"朝元歌"),
    // The playback component's host: never shown, so it neither covers
    // Command7 nor takes clicks or focus.
    {.name = L"player",
     .kind = rt::ControlKind::ComponentHost,
     .rect = {3000, 840, 375, 495},
     .tabIndex = 0,
     .shown = false,
     .component = &CreateMp3Player},
};

inline constexpr rt::WindowDescription kMp3play = {
    .name = L"mp3play",
    .caption = L"Music",
    .client = {150, 435, 5070, 1185},
    .frameStyle = rt::FrameStyle::FixedSingle,
    .controlBox = true,
    .maxButton = false,
    .minButton = true,
    .showInTaskbar = true,
    .startPosition = rt::StartPosition::WindowsDefault,
    .icon = IDI_VELK,
    .background = IDB_PLAYER_BACKGROUND,
    // The stored colour, the system's window-frame colour; the background
    // picture covers the whole client area, so it never shows.
    .backColor = rt::MakeRgb(0, 0, 0),
    .controls = kMp3playControls,
};
static_assert(rt::ConvertsToWholePixels(kMp3play));

}  // namespace player

// The stored description of a window and of each control on it. Descriptions
// are constant data, shared by every load of their window; the runtime builds
// windows from them and never changes them.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "runtime/core/component.h"
#include "runtime/core/twips.h"

namespace rt {

enum class FrameStyle : std::uint8_t {
  FixedSingle = 1,      // thin border, title bar with icon, optional minimize box
  FixedDialog = 3,      // dialog frame, title bar without icon
  FixedToolWindow = 4,  // small title bar with a close box only
};

enum class StartPosition : std::uint8_t {
  CenterScreen = 2,
  WindowsDefault = 3,
};

enum class ControlKind : std::uint8_t { PictureButton, PictureBox, ComponentHost };

// A picture or icon, named by its resource identifier in the executable;
// 0 means none.
using ResourceId = std::uint16_t;

// 0x00BBGGRR, the layout of a Win32 COLORREF.
using Rgb = std::uint32_t;
constexpr Rgb MakeRgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return r | (g << 8) | (static_cast<Rgb>(b) << 16);
}

struct ControlDescription {
  std::wstring_view name = {};
  ControlKind kind = ControlKind::PictureButton;
  TwipRect rect = {};             // relative to the parent's client (inner) area
  std::int16_t tabIndex = 0;   // 0 comes first
  bool shown = true;
  ResourceId picture = 0;      // face of a button, contents of a picture box
  // What a button's face reads; never drawn, but it is the window text that
  // screen readers announce.
  std::wstring_view text = {};
  std::span<const ControlDescription> children = {};  // picture boxes only
  ComponentFactory component = nullptr;          // component hosts only
  // The stored width is not a whole number of pixels and is drawn at the
  // nearest one; every other value must convert exactly.
  bool widthRoundsToNearestPixel = false;
};

struct WindowDescription {
  std::wstring_view name = {};
  std::wstring_view caption = {};
  TwipRect client = {};  // only width and height take effect
  FrameStyle frameStyle = FrameStyle::FixedSingle;
  bool controlBox = true;
  bool maxButton = false;
  bool minButton = true;
  bool showInTaskbar = true;
  StartPosition startPosition = StartPosition::WindowsDefault;
  ResourceId icon = 0;
  ResourceId background = 0;
  Rgb backColor = 0;
  std::span<const ControlDescription> controls = {};
};

// True when every position and size in the description converts to whole
// pixels, apart from widths explicitly marked as rounding. Meant for
// static_assert beside each description.
constexpr bool ConvertsToWholePixels(std::span<const ControlDescription> controls) {
  for (const ControlDescription& c : controls) {
    const bool widthOk = c.widthRoundsToNearestPixel || IsWholePixels(c.rect.width);
    if (!IsWholePixels(c.rect.left) || !IsWholePixels(c.rect.top) || !widthOk ||
        !IsWholePixels(c.rect.height) || !ConvertsToWholePixels(c.children)) {
      return false;
    }
  }
  return true;
}

constexpr bool ConvertsToWholePixels(const WindowDescription& w) {
  return IsWholePixels(w.client.width) && IsWholePixels(w.client.height) &&
         ConvertsToWholePixels(w.controls);
}

}  // namespace rt

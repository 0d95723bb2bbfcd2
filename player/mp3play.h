// mp3play, the player's start-up window: five track buttons, Stop, About and
// Exit over the hosted playback component `player`.
#pragma once

#include <string>
#include <string_view>

#include "runtime/win/form.h"

namespace player {

class Mp3play final : public rt::Form {
 public:
  static Mp3play& Instance();

  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();
  void Command5_Click();
  void Command6_Click();
  void Command7_Click();
  void Command8_Click();

 private:
  Mp3play();
  void OnLoad() override;
  void OnClick(std::wstring_view control) override;
  // Opens `fileName` from the application folder and plays it.
  void PlayTrack(std::wstring_view fileName);

  std::wstring appPath_;  // the application folder, set on every load
};

}  // namespace player

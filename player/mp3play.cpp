#include "player/mp3play.h"

#include "player/frmabout.h"
#include "player/mp3play_description.h"
#include "player/playback/mp3_player.h"
#include "runtime/core/variant.h"
#include "runtime/win/program.h"

namespace player {
namespace {

constexpr rt::ClickAction<Mp3play> kClickActions[] = {
    {L"Command1", &Mp3play::Command1_Click}, {L"Command2", &Mp3play::Command2_Click},
    {L"Command3", &Mp3play::Command3_Click}, {L"Command4", &Mp3play::Command4_Click},
    {L"Command5", &Mp3play::Command5_Click}, {L"Command6", &Mp3play::Command6_Click},
    {L"Command7", &Mp3play::Command7_Click}, {L"Command8", &Mp3play::Command8_Click},
};

// The component's results are converted to text and dropped: a result that
// does not convert still raises, a failure code goes unnoticed.
void DiscardResult(const rt::Variant& result) {
  const std::wstring text = rt::IntegerToText(result.ToInteger());
  static_cast<void>(text);
}

}  // namespace

Mp3play& Mp3play::Instance() {
  static Mp3play instance;
  return instance;
}

Mp3play::Mp3play() : rt::Form(kMp3play) {}

void Mp3play::OnLoad() { appPath_ = rt::ApplicationFolder(); }

void Mp3play::OnClick(std::wstring_view control) { rt::DispatchClick(*this, kClickActions, control); }

void Mp3play::PlayTrack(std::wstring_view fileName) {
  // The separator is always inserted: at a drive root the component gets
  // two in a row (E:\\music1.mp3), which the file system accepts.
  const std::wstring path = appPath_ + L"\\" + std::wstring(fileName);
  rt::Component& player = FindComponent(L"player");
  const rt::Variant openArgs[] = {rt::Variant::Text(path), rt::Variant::Text(L"")};
  DiscardResult(player.Invoke(kOpenDispatchId, openArgs));
  DiscardResult(player.Invoke(kPlayDispatchId, {}));
}

void Mp3play::Command1_Click() { PlayTrack(L"music1.mp3"); }
void Mp3play::Command2_Click() { PlayTrack(L"music2.mp3"); }
void Mp3play::Command3_Click() { PlayTrack(L"music3.mp3"); }
void Mp3play::Command4_Click() { PlayTrack(L"music4.mp3"); }
void Mp3play::Command5_Click() { PlayTrack(L"music5.mp3"); }

void Mp3play::Command6_Click() { FindComponent(L"player").Invoke(kStopDispatchId, {}); }

void Mp3play::Command7_Click() { Frmabout::Instance().Show(); }

void Mp3play::Command8_Click() { rt::EndProgram(); }

}  // namespace player

#include "launcher/form1.h"

#include <windows.h>

#include <string>

#include "launcher/form1_description.h"
#include "runtime/core/app_path.h"
#include "runtime/win/program.h"

namespace launcher {
namespace {

constexpr rt::ClickAction<Form1> kClickActions[] = {
    {L"Command1", &Form1::Command1_Click},
    {L"Command2", &Form1::Command2_Click},
};

}  // namespace

Form1& Form1::Instance() {
  static Form1 instance;
  return instance;
}

Form1::Form1() : rt::Form(kForm1) {}

void Form1::OnClick(std::wstring_view control) { rt::DispatchClick(*this, kClickActions, control); }

void Form1::Command1_Click() { StartEdition(L"setupjt\\setup"); }

void Form1::Command2_Click() { StartEdition(L"Setupft\\setup.exe"); }

void Form1::StartEdition(std::wstring_view relativePath) {
  const std::wstring installer = rt::JoinPath(rt::ApplicationFolder(), relativePath);
  // The installer starts minimized and active; declining its elevation
  // prompt starts nothing and leaves the launcher open.
  if (rt::StartProgram(installer, SW_SHOWMINIMIZED) == rt::StartOutcome::Started) Unload();
}

}  // namespace launcher

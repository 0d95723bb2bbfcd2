// The fault campaign: each system function that a scene of SETUP.exe or
// Velk.exe reaches is failed in turn through fault_injector.dll, and each
// run is classified: survived, reported (with its number), crashed, hung,
// silent end or system box. tools/fault-campaign.sh runs it and writes the
// table; the case is skipped unless FAULT_CAMPAIGN says what to run:
//   FAULT_CAMPAIGN        "full" (every variant), "first-call" (call 1 only) or
//                         "count" (the counting runs only)
//   FAULT_CAMPAIGN_SCENES scenes to run, e.g. "player,disc-out" (default all)
//   FAULT_CAMPAIGN_FUNCTIONS functions to fail, e.g. "malloc,ReadFile" (default
//                         every function the scene reaches)
//   FAULT_CAMPAIGN_VARIANTS calls to fail, e.g. "1,mid+ thread" (default all)
// A scene first runs without a fault (the counting run); when that run
// breaks the rule itself, its faults are not tried.
//   FAULT_CAMPAIGN_OUT    file that receives one tab-separated line per run
// The rule it checks: no run crashed, hung, ended silently or showed a
// system box.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/fault_injector.h"
#include "tests/e2e/fixture_paths.h"
#include "tests/e2e/program_under_test.h"
#include "tests/e2e/window_probe.h"

namespace e2e {
namespace {

const std::wstring kDisc = L"E:\\";
constexpr wchar_t kFormClass[] = L"RtForm";
constexpr wchar_t kBoxClass[] = L"#32770";
constexpr DWORD kAnswerMs = 1000;  // a window answers within this, or it hangs
constexpr DWORD kDiscHoldMs = 3000;  // a read from a disc being taken out

enum class Act {
  Click,        // sends the button `text` a click; it returns within kAnswerMs
  Key,          // types `value` (with Shift when `shift`)
  Pause,        // `value` ms
  Mark,         // the scene's middle: the "mid+" variant fails from here on
  OpenAbout,    // clicks `text` and waits for the about window
  CloseAbout,   // closes the about window, as its close box does
  TakeDiscOut,  // file calls fail from here on; reads wait kDiscHoldMs first
  StopReading,  // once a read waits on the missing disc, clicks `text` (Stop)
  ClickToEnd,   // clicks `text`; the program ends with code 0
};

struct Step {
  Act act;
  const wchar_t* text = nullptr;
  int value = 0;
  bool shift = false;
};

struct Scene {
  const char* name;
  const wchar_t* program;  // below the disc root
  const wchar_t* caption;  // of its main window; null for any
  const wchar_t* title;    // caption of its run-time error report
  bool startsInstaller;    // its last click starts an edition's installer
  std::vector<Step> steps;
};

const std::vector<Scene>& Scenes() {
  static const std::vector<Scene> scenes = {
      {"launcher", L"SETUP.exe", nullptr, L"setup", true,
       {{Act::Mark}, {Act::Key, nullptr, VK_TAB}, {Act::Key, nullptr, VK_TAB, true},
        {Act::ClickToEnd, L"简体版"}}},
      {"player", L"Velk.exe", L"Music", L"Sorvane", false,
       {{Act::Click, L"朝元歌"}, {Act::Pause, nullptr, 1500}, {Act::Mark},
        {Act::Click, L"梅花三弄"}, {Act::Pause, nullptr, 500}, {Act::Click, L"停止"},
        {Act::OpenAbout, L"關于"}, {Act::CloseAbout}, {Act::ClickToEnd, L"退出"}}},
      // The player's scene cut short, for the check that runs on every test run.
      {"play", L"Velk.exe", L"Music", L"Sorvane", false,
       {{Act::Click, L"朝元歌"}, {Act::Pause, nullptr, 1000}, {Act::Mark},
        {Act::ClickToEnd, L"退出"}}},
      {"disc-out", L"Velk.exe", L"Music", L"Sorvane", false,
       {{Act::Click, L"朝元歌"}, {Act::Pause, nullptr, 1000}, {Act::Mark}, {Act::TakeDiscOut},
        {Act::StopReading, L"停止"}, {Act::Click, L"梅花三弄"}, {Act::Pause, nullptr, 500},
        {Act::ClickToEnd, L"退出"}}},
  };
  return scenes;
}

// The functions the disc-out scene fails itself.
bool FailedByDiscOut(const std::string& function) {
  return function == "ReadFile" || function == "CreateFileW";
}

// Which call of the function fails: call `failAt` (counted from main), and
// every later one with `later`; `fromMark` counts from the scene's middle;
// `otherThreads` fails only calls off the thread that runs main (the
// player's playback thread).
struct Variant {
  const char* name;
  LONG failAt;
  bool later;
  bool fromMark;
  bool otherThreads;
};
constexpr Variant kCounting{"count", 0, false, false, false};
constexpr Variant kVariants[] = {
    {"1", 1, false, false, false},
    {"2", 2, false, false, false},
    {"1+", 1, true, false, false},
    {"mid+", 1, true, true, false},
    {"mid+ thread", 1, true, true, true},
};

struct Outcome {
  std::string kind;  // survived, reported, crashed, hung, silent, system-box, not-run
  std::string detail;
};

std::wstring Environment(const wchar_t* name) {
  wchar_t value[1024] = {};
  const DWORD length = ::GetEnvironmentVariableW(name, value, 1024);
  return length > 0 && length < 1024 ? std::wstring(value) : std::wstring();
}

std::string Hex(DWORD value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
  return text;
}

// The file the injector shares, mapped for the length of one run.
class SharedCounts {
 public:
  explicit SharedCounts(const std::wstring& path) {
    file_ = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) return;
    mapping_ = ::CreateFileMappingW(file_, nullptr, PAGE_READWRITE, 0, sizeof(FaultFile), nullptr);
    if (mapping_) {
      view_ = static_cast<FaultFile*>(
          ::MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, sizeof(FaultFile)));
    }
  }
  ~SharedCounts() {
    if (view_) ::UnmapViewOfFile(view_);
    if (mapping_) ::CloseHandle(mapping_);
    if (file_ != INVALID_HANDLE_VALUE) ::CloseHandle(file_);
  }
  SharedCounts(const SharedCounts&) = delete;
  SharedCounts& operator=(const SharedCounts&) = delete;

  // The record of `function`; null when the injector has none.
  FaultRecord* Find(const std::string& function) const {
    if (!view_) return nullptr;
    for (int i = 0; i < view_->records && i < kMaxFaultRecords; ++i) {
      if (function == view_->record[i].name) return &view_->record[i];
    }
    return nullptr;
  }
  const FaultFile* view() const { return view_; }

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
  HANDLE mapping_ = nullptr;
  FaultFile* view_ = nullptr;
};

// One run of a scene with one fault.
class FaultRun {
 public:
  FaultRun(const Scene& scene, const std::string& function, const Variant& variant)
      : scene_(scene), function_(function), variant_(variant) {}

  Outcome Play() {
    LayOutDisc();
    // A file of its own: an earlier run's may still be mapped.
    static int runs = 0;
    const std::wstring countsPath = L"C:\\fault-counts-" + std::to_wstring(++runs) + L".bin";
    ::SetEnvironmentVariableW(kFaultFileVariable, countsPath.c_str());
    try {
      program_ = std::make_unique<ProgramUnderTest>(
          kDisc + scene_.program, kDisc, L"", BuiltFile(L"tests\\e2e\\fault_injector.dll"),
          [&] {
            counts_ = std::make_unique<SharedCounts>(countsPath);
            if (!variant_.fromMark) Arm(variant_.failAt, variant_.later);
          });
    } catch (const std::exception& error) {
      return {"not-run", error.what()};
    }
    return Steps();
  }

  // Calls of each function reached: {startup, from main, after the mark},
  // the last error its failure leaves, and the calls after the mark made
  // off the thread that runs main.
  std::map<std::string, std::vector<LONG>> Reached() const {
    std::map<std::string, std::vector<LONG>> reached;
    const FaultFile* view = counts_ ? counts_->view() : nullptr;
    if (!view) return reached;
    for (int i = 0; i < view->records && i < kMaxFaultRecords; ++i) {
      const FaultRecord& record = view->record[i];
      if (record.calls == 0 && record.startupCalls == 0) continue;
      const auto marked = atMark_.find(record.name);
      const bool seen = marked != atMark_.end();
      const LONG beforeMark = seen ? marked->second.first : record.calls;
      const LONG threadBeforeMark = seen ? marked->second.second : record.threadCalls;
      reached[record.name] = {record.startupCalls, record.calls, record.calls - beforeMark,
                              static_cast<LONG>(record.lastError),
                              record.threadCalls - threadBeforeMark};
    }
    return reached;
  }
  const std::string& stopTiming() const { return stopTiming_; }

 private:
  void LayOutDisc() {
    EmptyFolder(kDisc);
    ClearRecords();
    CopyFileTo(BuiltFile(L"launcher\\SETUP.exe"), kDisc + L"SETUP.exe");
    CopyFileTo(BuiltFile(L"player\\Velk.exe"), kDisc + L"Velk.exe");
    const std::wstring standIn = BuiltFile(L"tests\\e2e\\stand_in_installer.exe");
    CopyFileTo(standIn, kDisc + L"setupjt\\setup.exe");
    CopyFileTo(standIn, kDisc + L"Setupft\\setup.exe");
    for (int k = 1; k <= 5; ++k) {
      const std::wstring name = L"music" + std::to_wstring(k) + L".mp3";
      CopyFileTo(BuiltFile(L"tests\\e2e\\music\\" + name), kDisc + name);
    }
  }

  void Arm(LONG failAt, bool later) {
    if (FaultRecord* record = counts_->Find(function_)) {
      record->failLater = later ? 1 : 0;
      record->failAt = failAt;
    }
  }

  HWND MainWindow() const {
    for (HWND hwnd : TopLevelWindows(program_->pid(), kFormClass)) {
      if (!scene_.caption || TextOf(hwnd) == scene_.caption) return hwnd;
    }
    return nullptr;
  }

  HWND About() const {
    for (HWND hwnd : TopLevelWindows(program_->pid(), kFormClass)) {
      if (TextOf(hwnd) == L"VOLN") return hwnd;
    }
    return nullptr;
  }

  // What a box of the program, or its end, says about the run; nothing
  // while it runs without a box. Waits `settleMs` first for a box on its way.
  std::optional<Outcome> Judge(DWORD settleMs = 300) {
    ::Sleep(settleMs);
    const std::vector<HWND> boxes = TopLevelWindows(program_->pid(), kBoxClass);
    if (!boxes.empty()) return JudgeBox(boxes.front());
    if (!program_->IsRunning()) return Ended();
    return std::nullopt;
  }

  Outcome JudgeBox(HWND box) {
    const std::wstring caption = TextOf(box);
    std::wstring body;
    HWND ok = nullptr;
    for (HWND child : ChildWindows(box)) {
      if (ClassOf(child) == L"Static") body += TextOf(child);
      if (ClassOf(child) == L"Button") ok = child;
    }
    if (ok) PostClick(ok);
    if (caption != scene_.title) {
      // The C runtime's box for abort(), which std::terminate calls.
      if (body.find(L"abnormal program termination") != std::wstring::npos) {
        return {"crashed", "terminate"};
      }
      return {"system-box", ToUtf8(caption + L": " + body)};
    }
    // The report reads "运行时错误 'N':" and the number's text.
    const std::size_t open = body.find(L'\'');
    const std::size_t close = open == std::wstring::npos ? open : body.find(L'\'', open + 1);
    const std::wstring number =
        close == std::wstring::npos ? L"?" : body.substr(open + 1, close - open - 1);
    std::string detail = ToUtf8(number);
    if (!program_->WaitForExit(5000)) detail += ", did not end after the report";
    return {"reported", detail};
  }

  Outcome Ended() const {
    const DWORD code = program_->ExitCode();
    if (code >= 0xC0000000 || code == 3) return {"crashed", "exit code " + Hex(code)};
    return {"silent", "exit code " + std::to_string(code)};
  }

  // Sends a click and times it; a window that takes longer than kAnswerMs
  // has hung, and the time it took in the end is noted.
  std::optional<Outcome> Click(const wchar_t* text, DWORD* tookMs = nullptr) {
    const HWND main = MainWindow();
    const HWND button = main ? ChildByText(main, text) : nullptr;
    if (!button) {
      if (std::optional<Outcome> judged = Judge()) return judged;
      return Outcome{"hung", "no button " + ToUtf8(text)};
    }
    const ULONGLONG start = ::GetTickCount64();
    DWORD_PTR result = 0;
    const bool answered =
        ::SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, kAnswerMs, &result) != 0;
    if (tookMs) *tookMs = static_cast<DWORD>(::GetTickCount64() - start);
    if (answered) return std::nullopt;
    if (std::optional<Outcome> judged = Judge()) return judged;
    if (!program_->IsRunning()) return Ended();
    // Still busy: measure how long the click takes in the end.
    ::SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
    const DWORD took = static_cast<DWORD>(::GetTickCount64() - start);
    if (tookMs) *tookMs = took;
    if (std::optional<Outcome> judged = Judge()) return judged;
    return Outcome{"hung", ToUtf8(text) + " took " + std::to_string(took) + " ms"};
  }

  // The program's windows answer within kAnswerMs.
  std::optional<Outcome> Answers() {
    if (std::optional<Outcome> judged = Judge(0)) return judged;
    for (HWND hwnd : TopLevelWindows(program_->pid(), kFormClass)) {
      DWORD_PTR result = 0;
      if (!::SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerMs, &result)) {
        if (std::optional<Outcome> judged = Judge()) return judged;
        return Outcome{"hung", "a window did not answer"};
      }
    }
    return std::nullopt;
  }

  std::optional<Outcome> Do(const Step& step) {
    switch (step.act) {
      case Act::Click:
        return Click(step.text);
      case Act::Key:
        PressKey(MainWindow(), static_cast<WORD>(step.value), step.shift);
        ::Sleep(200);
        return std::nullopt;
      case Act::Pause:
        ::Sleep(static_cast<DWORD>(step.value));
        return std::nullopt;
      case Act::Mark:
        for (int i = 0; counts_->view() && i < counts_->view()->records; ++i) {
          const FaultRecord& record = counts_->view()->record[i];
          atMark_[record.name] = {record.calls, record.threadCalls};
        }
        if (variant_.fromMark) {
          if (FaultRecord* record = counts_->Find(function_)) {
            record->otherThreads = variant_.otherThreads ? 1 : 0;
            Arm((variant_.otherThreads ? record->threadCalls : record->calls) + 1, true);
          }
        }
        return std::nullopt;
      case Act::OpenAbout:
        if (std::optional<Outcome> clicked = Click(step.text)) return clicked;
        if (!WaitUntil([&] { return About() != nullptr; }, 3000)) notes_ += "no about window; ";
        return std::nullopt;
      case Act::CloseAbout:
        if (const HWND about = About()) {
          PostClose(about);
          if (!WaitUntil([&] { return About() == nullptr; }, 3000)) {
            if (std::optional<Outcome> judged = Judge()) return judged;
            return Outcome{"hung", "the about window did not close"};
          }
        }
        return std::nullopt;
      case Act::TakeDiscOut:
        for (const char* function : {"CreateFileW", "ReadFile"}) {
          if (FaultRecord* record = counts_->Find(function)) {
            record->holdMs = std::string(function) == "ReadFile" ? kDiscHoldMs : 0;
            record->failLater = 1;
            record->failAt = record->calls + 1;
          }
        }
        return std::nullopt;
      case Act::StopReading: {
        const FaultRecord* read = counts_->Find("ReadFile");
        if (!WaitUntil([&] { return read && read->failed > 0; }, 4000)) {
          notes_ += "no read waited on the disc; ";
        }
        DWORD took = 0;
        std::optional<Outcome> clicked = Click(step.text, &took);
        stopTiming_ = std::to_string(took);
        return clicked;
      }
      case Act::ClickToEnd: {
        if (std::optional<Outcome> clicked = Click(step.text)) {
          if (clicked->kind != "silent" || program_->ExitCode() != 0) return clicked;
        }
        if (!program_->WaitForExit(5000)) {
          if (std::optional<Outcome> judged = Judge()) return judged;
          return Outcome{"hung", "did not end after " + ToUtf8(step.text)};
        }
        if (program_->ExitCode() != 0) return Ended();
        if (scene_.startsInstaller &&
            !WaitUntil([] { return !ReadRecords().empty(); }, 5000)) {
          return Outcome{"silent", "ended without starting the installer"};
        }
        return std::nullopt;
      }
    }
    return std::nullopt;
  }

  Outcome Steps() {
    if (!WaitUntil([&] { return MainWindow() != nullptr || !program_->IsRunning() ||
                                !TopLevelWindows(program_->pid(), kBoxClass).empty(); },
                   10000)) {
      return {"hung", "no window after 10 s"};
    }
    if (std::optional<Outcome> judged = Judge()) return *judged;
    if (!MainWindow()) return {"hung", "no window"};
    for (const Step& step : scene_.steps) {
      if (std::optional<Outcome> outcome = Do(step)) return *outcome;
      if (step.act == Act::ClickToEnd) break;
      if (std::optional<Outcome> outcome = Answers()) return *outcome;
    }
    return {"survived", notes_};
  }

  const Scene& scene_;
  std::string function_;
  Variant variant_;
  std::unique_ptr<ProgramUnderTest> program_;
  std::unique_ptr<SharedCounts> counts_;
  std::map<std::string, std::pair<LONG, LONG>> atMark_;  // {calls, threadCalls}
  std::string notes_;
  std::string stopTiming_;
};

std::vector<std::string> SplitList(const std::wstring& list) {
  std::vector<std::string> items;
  std::string item;
  for (const char c : ToUtf8(list) + ",") {
    if (c != ',') {
      item += c;
    } else if (!item.empty()) {
      items.push_back(item);
      item.clear();
    }
  }
  return items;
}

TEST(FaultCampaign, EveryFailureIsSurvivedOrReported) {
  const std::wstring mode = Environment(L"FAULT_CAMPAIGN");
  if (mode.empty()) GTEST_SKIP() << "FAULT_CAMPAIGN is not set (tools/fault-campaign.sh sets it)";
  const bool full = mode == L"full";
  ASSERT_TRUE(full || mode == L"first-call" || mode == L"count")
      << "FAULT_CAMPAIGN: full, first-call or count";
  const std::vector<std::string> chosen = SplitList(Environment(L"FAULT_CAMPAIGN_SCENES"));
  const std::vector<std::string> functions = SplitList(Environment(L"FAULT_CAMPAIGN_FUNCTIONS"));
  const std::vector<std::string> variants = SplitList(Environment(L"FAULT_CAMPAIGN_VARIANTS"));
  // A crash ends the program with its exception code, as on Windows without
  // a debugger, rather than waiting in Wine's crash dialog.
  const DWORD noDialog = 0;
  ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\WineDbg", L"ShowCrashDialog", REG_DWORD,
                    &noDialog, sizeof noDialog);
  std::ofstream out(std::filesystem::path(Environment(L"FAULT_CAMPAIGN_OUT")), std::ios::app);
  ASSERT_TRUE(out) << "FAULT_CAMPAIGN_OUT names no file that can be written";

  for (const Scene& scene : Scenes()) {
    if (!chosen.empty() && std::find(chosen.begin(), chosen.end(), scene.name) == chosen.end()) {
      continue;
    }
    FaultRun counting(scene, "", kCounting);
    const Outcome base = counting.Play();
    out << "count\t" << scene.name << "\t" << base.kind << "\t" << base.detail << "\t"
        << counting.stopTiming() << "\n";
    for (const auto& [function, calls] : counting.Reached()) {
      out << "reach\t" << scene.name << "\t" << function << "\t" << calls[0] << "\t" << calls[1]
          << "\t" << calls[2] << "\t" << calls[3] << "\t" << calls[4] << "\n";
    }
    out.flush();
    // A scene that fails on its own says nothing about further faults.
    EXPECT_EQ(base.kind, "survived") << scene.name << " without a fault: " << base.detail;
    if (base.kind != "survived" || mode == L"count") continue;
    for (const auto& [function, calls] : counting.Reached()) {
      if (scene.name == std::string("disc-out") && FailedByDiscOut(function)) continue;
      if (!functions.empty() &&
          std::find(functions.begin(), functions.end(), function) == functions.end()) {
        continue;
      }
      for (const Variant& variant : kVariants) {
        if (!full && variant.name != std::string("1")) continue;
        if (!variants.empty() &&
            std::find(variants.begin(), variants.end(), variant.name) == variants.end()) {
          continue;
        }
        const LONG reachable =
            variant.otherThreads ? calls[4] : variant.fromMark ? calls[2] : calls[1];
        if (reachable < variant.failAt) continue;
        FaultRun run(scene, function, variant);
        const ULONGLONG start = ::GetTickCount64();
        const Outcome outcome = run.Play();
        out << "run\t" << scene.name << "\t" << function << "\t" << variant.name << "\t"
            << outcome.kind << "\t" << outcome.detail << "\t" << run.stopTiming() << "\t"
            << (::GetTickCount64() - start) << "\n";
        out.flush();
        EXPECT_TRUE(outcome.kind == "survived" || outcome.kind == "reported")
            << scene.name << ": " << function << " failed at call " << variant.name << ": "
            << outcome.kind << " (" << outcome.detail << ")";
      }
    }
  }
}

}  // namespace
}  // namespace e2e

// tavo-robot: runs a Windows program and plays its user, for end-to-end tests.
//
//   tavo-robot.exe --transcript=FILE [--script=FILE] [--timeout=MS] "COMMAND LINE"
//
// The command line is one argument and goes to CreateProcess as it is. Every
// visible, enabled dialog (class #32770) of the child and of the processes it
// starts is recorded into the transcript once it has stopped changing, then
// answered as the script says (script.h). A child still running after the
// time-out (default 30000 ms) is ended together with what it started, with
// exit code 1460 (ERROR_TIMEOUT).
//
// Transcript (line_format.h; one block per dialog, in the order seen):
//   command "C:\\dir\\setup.exe /a"
//   dialog 1
//     caption "FATAL ERROR"
//     control 65535 "Static" "text\r\nof the box"
//     items 101 "first entry" "second entry"      (list and combo boxes)
//     answer click 1                               (or: failed pick 7 2)
//   end
//   timeout 30000                                  (only when the child was ended)
//   exit 1
//
// Exit code: 0 the child ran (the transcript says how it ended), 2 bad usage
// or script, 3 the robot could not do its work (transcript, start-up).
#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

#include "dialog_win32.h"
#include "line_format.h"
#include "script.h"
#include "wide_text.h"

namespace robot {
namespace {

const int kExitRan = 0;
const int kExitUsage = 2;
const int kExitFailure = 3;
const DWORD kPollMs = 50;
// The exit code given to a child ended at the time-out.
const UINT kKilledExitCode = ERROR_TIMEOUT;

struct Options {
  std::wstring transcriptPath;
  std::wstring scriptPath;
  std::wstring commandLine;
  DWORD timeoutMs = 30000;
};

bool readOptions(int argc, wchar_t** argv, Options& options) {
  bool haveCommand = false;
  for (int i = 1; i < argc; ++i) {
    std::wstring arg = argv[i];
    if (arg.rfind(L"--transcript=", 0) == 0) {
      options.transcriptPath = arg.substr(13);
    } else if (arg.rfind(L"--script=", 0) == 0) {
      options.scriptPath = arg.substr(9);
    } else if (arg.rfind(L"--timeout=", 0) == 0) {
      options.timeoutMs = static_cast<DWORD>(wcstoul(arg.c_str() + 10, nullptr, 10));
    } else if (!haveCommand && arg.rfind(L"--", 0) != 0) {
      options.commandLine = arg;
      haveCommand = true;
    } else {
      return false;
    }
  }
  return haveCommand && !options.transcriptPath.empty() && options.timeoutMs > 0;
}

bool readWholeFile(const std::wstring& path, std::string& text) {
  FILE* file = _wfopen(path.c_str(), L"rb");
  if (!file) return false;
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  fclose(file);
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  return true;
}

// The transcript file, flushed after every block so that a robot that is
// itself killed still leaves what it saw.
class Transcript {
 public:
  bool open(const std::wstring& path) { return (file_ = _wfopen(path.c_str(), L"wb")) != nullptr; }
  ~Transcript() {
    if (file_) fclose(file_);
  }
  void line(const std::string& text) {
    fputs(text.c_str(), file_);
    fputc('\n', file_);
    fflush(file_);
  }
  void dialog(int number, const DialogView& view) {
    std::string block = "dialog " + std::to_string(number) + "\n";
    block += "  caption " + robotfmt::quote(view.caption) + "\n";
    for (const ControlView& c : view.controls) {
      block += "  control " + std::to_string(c.id) + " " + robotfmt::quote(c.className) + " " +
               robotfmt::quote(c.text) + "\n";
      if (c.items.empty()) continue;
      block += "  items " + std::to_string(c.id);
      for (const std::string& item : c.items) block += " " + robotfmt::quote(item);
      block += "\n";
    }
    fputs(block.c_str(), file_);
  }

 private:
  FILE* file_ = nullptr;
};

// The child and everything it starts, held in a job so that the time-out ends
// all of them and nothing else.
class Child {
 public:
  ~Child() {
    if (process_) CloseHandle(process_);
    if (job_) CloseHandle(job_);
  }

  bool start(const std::wstring& commandLine) {
    std::wstring mutableLine = commandLine;  // CreateProcessW may write to it
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, &mutableLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr, nullptr, &startup, &info))
      return false;
    job_ = CreateJobObjectW(nullptr, nullptr);
    if (job_ && !AssignProcessToJobObject(job_, info.hProcess)) {
      CloseHandle(job_);
      job_ = nullptr;
    }
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    pid_ = info.dwProcessId;
    return true;
  }

  HANDLE process() const { return process_; }

  // The ids of the child and, when the job can be asked, of its descendants.
  std::vector<DWORD> processIds() const {
    // The list's array is declared with one entry; the ids are read from the
    // raw buffer so the compiler cannot assume there is only one.
    const size_t kMaxIds = 256;
    const size_t idsAt = offsetof(JOBOBJECT_BASIC_PROCESS_ID_LIST, ProcessIdList);
    std::vector<unsigned char> buffer(idsAt + kMaxIds * sizeof(ULONG_PTR));
    JOBOBJECT_BASIC_PROCESS_ID_LIST header = {};
    header.NumberOfAssignedProcesses = kMaxIds;
    memcpy(buffer.data(), &header, idsAt);
    if (!job_ || !QueryInformationJobObject(job_, JobObjectBasicProcessIdList, buffer.data(),
                                            static_cast<DWORD>(buffer.size()), nullptr))
      return {pid_};
    memcpy(&header, buffer.data(), idsAt);
    std::vector<DWORD> result;
    for (DWORD i = 0; i < header.NumberOfProcessIdsInList && i < kMaxIds; ++i) {
      ULONG_PTR id = 0;
      memcpy(&id, buffer.data() + idsAt + i * sizeof id, sizeof id);
      result.push_back(static_cast<DWORD>(id));
    }
    if (result.empty()) result.push_back(pid_);
    return result;
  }

  void kill() {
    if (!job_ || !TerminateJobObject(job_, kKilledExitCode)) TerminateProcess(process_, kKilledExitCode);
    WaitForSingleObject(process_, 5000);
  }

  DWORD exitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
  }

 private:
  HANDLE job_ = nullptr;
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

BOOL CALLBACK collectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

bool isDialogClass(HWND window) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  return wcscmp(name, L"#32770") == 0;
}

// Watches the child's dialogs. A dialog is recorded and answered once it is
// visible, enabled and the same on two looks in a row; it is recorded again
// only when it changes or after it was disabled (it owned a box meanwhile,
// and the user is back at it).
class Watcher {
 public:
  Watcher(Script& script, Transcript& transcript) : script_(script), transcript_(transcript) {}

  void look(const std::vector<DWORD>& processIds) {
    std::vector<HWND> windows;
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&windows));
    std::map<HWND, State> next;
    for (HWND window : windows) {
      DWORD pid = 0;
      GetWindowThreadProcessId(window, &pid);
      if (!isOurs(pid, processIds) || !IsWindowVisible(window) || !isDialogClass(window)) continue;
      State state = states_[window];
      if (IsWindowEnabled(window))
        lookAt(window, state);
      else
        state = State();
      next[window] = state;
    }
    states_.swap(next);
  }

 private:
  struct State {
    bool seen = false;
    DialogView lastSeen;
    bool recorded = false;
    DialogView lastRecorded;
  };

  static bool isOurs(DWORD pid, const std::vector<DWORD>& processIds) {
    for (DWORD id : processIds)
      if (id == pid) return true;
    return false;
  }

  void lookAt(HWND window, State& state) {
    DialogView view = readDialog(window);
    bool stable = state.seen && view == state.lastSeen;
    state.seen = true;
    state.lastSeen = view;
    if (!stable || (state.recorded && view == state.lastRecorded)) return;
    state.recorded = true;
    state.lastRecorded = view;
    answer(window, view);
  }

  void answer(HWND window, const DialogView& view) {
    transcript_.dialog(++count_, view);
    const Rule& rule = script_.answerFor(view);
    for (const Action& action : rule.actions) {
      bool done = performAction(window, view, action);
      transcript_.line(std::string(done ? "  answer " : "  failed ") + action.describe());
    }
    transcript_.line("end");
  }

  Script& script_;
  Transcript& transcript_;
  std::map<HWND, State> states_;
  int count_ = 0;
};

const wchar_t kUsage[] =
    L"usage: tavo-robot.exe --transcript=FILE [--script=FILE] [--timeout=MS] \"COMMAND LINE\"\n";

int run(const Options& options) {
  Script script;
  if (!options.scriptPath.empty()) {
    std::string text, error;
    if (!readWholeFile(options.scriptPath, text)) {
      fwprintf(stderr, L"tavo-robot: cannot read script %ls\n", options.scriptPath.c_str());
      return kExitUsage;
    }
    if (!parseScript(text, script, error)) {
      fprintf(stderr, "tavo-robot: script: %s\n", error.c_str());
      return kExitUsage;
    }
  }
  Transcript transcript;
  if (!transcript.open(options.transcriptPath)) {
    fwprintf(stderr, L"tavo-robot: cannot write %ls\n", options.transcriptPath.c_str());
    return kExitFailure;
  }
  transcript.line("command " + robotfmt::quote(toUtf8(options.commandLine)));
  Child child;
  if (!child.start(options.commandLine)) {
    std::string error = "error \"CreateProcess failed: " + std::to_string(GetLastError()) + "\"";
    transcript.line(error);
    fprintf(stderr, "tavo-robot: %s\n", error.c_str());
    return kExitFailure;
  }
  Watcher watcher(script, transcript);
  ULONGLONG deadline = GetTickCount64() + options.timeoutMs;
  while (WaitForSingleObject(child.process(), kPollMs) == WAIT_TIMEOUT) {
    if (GetTickCount64() >= deadline) {
      transcript.line("timeout " + std::to_string(options.timeoutMs));
      child.kill();
      break;
    }
    watcher.look(child.processIds());
  }
  transcript.line("exit " + std::to_string(child.exitCode()));
  return kExitRan;
}

}  // namespace
}  // namespace robot

int wmain(int argc, wchar_t** argv) {
  robot::Options options;
  if (!robot::readOptions(argc, argv, options)) {
    fputws(robot::kUsage, stderr);
    return robot::kExitUsage;
  }
  return robot::run(options);
}

// A private Wine prefix per test, and the UI robot run inside it.
//
// Each WinePrefix is a copy of the template prefix (scripts/wine-template.sh;
// made once per run by the WineTemplate CTest fixture, or here on first use),
// named after the running test. When it goes out of scope its wineserver is
// ended; the copy is removed unless the test failed, in which case it stays
// and its path is printed for inspection.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "process.h"
#include "transcript.h"

namespace e2e {

// Where the programs under test are. Built-in paths point into the build
// trees; each can be overridden by the environment variable of the same name.
std::string robotExe();       // TAVO_E2E_ROBOT_EXE
std::string sampleExe();      // TAVO_E2E_SAMPLE_EXE
std::string stubExe(bool x64);  // TAVO_E2E_STUB_X64 / TAVO_E2E_STUB_X86

struct RobotRun {
  ProcessResult robot;      // the wine64 process that ran the robot
  Transcript transcript;
  std::string script;       // the answers it was given
  std::string transcriptText;
  std::string parseError;   // empty when the transcript was read

  // True when the robot did its work and wrote a whole transcript (the child
  // may still have failed or timed out: see transcript).
  bool ok() const;
  // Script, transcript and robot output, for failure messages.
  std::string describe() const;
};

struct RegValue {
  std::string type;  // "REG_SZ", "REG_DWORD", ...
  std::string data;  // as reg.exe prints it (REG_DWORD as 0x...)
};

class WinePrefix {
 public:
  // Makes the copy; on failure records a test failure and ok() is false.
  WinePrefix();
  ~WinePrefix();
  WinePrefix(const WinePrefix&) = delete;
  WinePrefix& operator=(const WinePrefix&) = delete;

  bool ok() const { return ok_; }
  const std::string& dir() const { return dir_; }

  // "C:\dir\file" -> <prefix>/drive_c/dir/file; "Z:\x" -> /x.
  std::string unixPath(const std::string& windowsPath) const;
  // A host path as the Windows programs see it: C:\... inside drive_c, else Z:\...
  std::string windowsPath(const std::string& hostPath) const;
  // Copies a host file to a Windows path in the prefix, making its folders.
  bool copyIn(const std::string& hostFile, const std::string& windowsPath) const;

  // Runs commandLine (passed to CreateProcess as it is) under the robot with
  // the given script (script.h format; empty for the built-in default). The
  // robot ends the child after timeoutMs.
  RobotRun runRobot(const std::string& commandLine, const std::string& script, int timeoutMs = 20000);

  // Runs wine64 with these arguments in this prefix.
  ProcessResult wine(const std::vector<std::string>& args, double timeoutSeconds = 60) const;

  // One registry value via reg.exe; nothing when the key or value is missing.
  // key as reg.exe takes it ("HKCU\Software\..."), name empty for the default.
  std::optional<RegValue> regQuery(const std::string& key, const std::string& name) const;
  bool regKeyExists(const std::string& key) const;

  // Ends this prefix's wineserver and every process in it (ours only).
  void stopServer() const;

 private:
  std::string dir_;
  bool ok_ = false;
  int runs_ = 0;
};

}  // namespace e2e

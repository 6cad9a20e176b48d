#include "wine_prefix.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace e2e {
namespace {

// A built-in path unless the environment names another.
std::string setting(const char* name, const char* builtIn) {
  const char* value = std::getenv(name);
  return value && *value ? value : builtIn;
}

std::string wine64() { return setting("TAVO_WINE64", "/usr/lib/wine/wine64"); }
std::string wineserver() { return setting("TAVO_WINESERVER", "/usr/lib/wine/wineserver"); }
std::string templateDir() { return setting("TAVO_E2E_TEMPLATE_DIR", TAVO_E2E_TEMPLATE_DIR); }

const char kTemplateMarker[] = ".tavo-template";

// The prefix directory of the running test: Suite.Test with anything odd
// (parameterised names hold '/') made harmless.
std::string currentTestDirName() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "no-test";
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_') c = '_';
  return name;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool writeFile(const std::string& path, const std::string& text) {
  std::error_code ignored;
  fs::create_directories(fs::path(path).parent_path(), ignored);
  std::ofstream out(path, std::ios::binary);
  out << text;
  return static_cast<bool>(out);
}

// The template exists after the CTest fixture ran; a direct run of the test
// program makes it here (the script reuses a complete one).
bool ensureTemplate(std::string& problem) {
  if (fs::exists(fs::path(templateDir()) / kTemplateMarker)) return true;
  ProcessResult made = runProcess({"/bin/bash", TAVO_E2E_TEMPLATE_SCRIPT, templateDir()}, {}, 300);
  if (made.exitCode == 0) return true;
  problem = "cannot make the Wine template " + templateDir() + ":\n" + made.output;
  return false;
}

// Splits a reg.exe value line "    Name    REG_SZ    data".
std::optional<RegValue> parseRegLine(const std::string& output) {
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t type = line.find("    REG_");
    if (line.rfind("    ", 0) != 0 || type == std::string::npos || type == 0) continue;
    type += 4;
    size_t data = line.find("    ", type);
    RegValue value;
    value.type = line.substr(type, data == std::string::npos ? std::string::npos : data - type);
    if (data != std::string::npos) value.data = line.substr(data + 4);
    return value;
  }
  return std::nullopt;
}

}  // namespace

std::string robotExe() { return setting("TAVO_E2E_ROBOT_EXE", TAVO_E2E_ROBOT_EXE); }
std::string sampleExe() { return setting("TAVO_E2E_SAMPLE_EXE", TAVO_E2E_SAMPLE_EXE); }
std::string stubExe(bool x64) {
  return x64 ? setting("TAVO_E2E_STUB_X64", TAVO_E2E_STUB_X64) : setting("TAVO_E2E_STUB_X86", TAVO_E2E_STUB_X86);
}

bool RobotRun::ok() const {
  return robot.exitCode == 0 && parseError.empty() && transcript.finished;
}

std::string RobotRun::describe() const {
  std::ostringstream text;
  text << "--- robot: exit " << robot.exitCode << (robot.timedOut ? " (killed by the host)" : "") << "\n"
       << "--- script:\n" << script << "\n--- transcript:\n" << transcriptText;
  if (!parseError.empty()) text << "--- transcript unreadable: " << parseError << "\n";
  if (!robot.output.empty()) text << "--- robot output:\n" << robot.output;
  return text.str();
}

WinePrefix::WinePrefix() {
  std::string problem;
  if (!ensureTemplate(problem)) {
    ADD_FAILURE() << problem;
    return;
  }
  dir_ = setting("TAVO_E2E_PREFIX_ROOT", TAVO_E2E_PREFIX_ROOT) + "/" + currentTestDirName();
  std::error_code ignored;
  fs::remove_all(dir_, ignored);  // left by an earlier failed run
  fs::create_directories(fs::path(dir_).parent_path(), ignored);
  ProcessResult copy = runProcess({"/bin/cp", "-a", templateDir(), dir_}, {}, 120);
  ok_ = copy.exitCode == 0;
  if (!ok_) ADD_FAILURE() << "cannot copy the Wine template to " << dir_ << ":\n" << copy.output;
}

WinePrefix::~WinePrefix() {
  if (dir_.empty()) return;
  stopServer();
  if (::testing::Test::HasFailure()) {
    std::fprintf(stderr, "Wine prefix kept for inspection: %s\n", dir_.c_str());
    return;
  }
  std::error_code ignored;
  fs::remove_all(dir_, ignored);
}

std::string WinePrefix::unixPath(const std::string& windowsPath) const {
  if (windowsPath.size() < 2 || windowsPath[1] != ':') return windowsPath;
  char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(windowsPath[0])));
  std::string rest = windowsPath.substr(2);
  for (char& c : rest)
    if (c == '\\') c = '/';
  if (drive == 'z') return rest.empty() ? "/" : rest;
  if (drive == 'c') return dir_ + "/drive_c" + rest;
  return dir_ + "/dosdevices/" + drive + ":" + rest;
}

std::string WinePrefix::windowsPath(const std::string& hostPath) const {
  std::string driveC = dir_ + "/drive_c";
  bool inside = hostPath.compare(0, driveC.size(), driveC) == 0 &&
                (hostPath.size() == driveC.size() || hostPath[driveC.size()] == '/');
  std::string result = inside ? "C:" + hostPath.substr(driveC.size()) : "Z:" + hostPath;
  for (char& c : result)
    if (c == '/') c = '\\';
  if (result.size() == 2) result += '\\';
  return result;
}

bool WinePrefix::copyIn(const std::string& hostFile, const std::string& windowsPath) const {
  std::string target = unixPath(windowsPath);
  std::error_code error;
  fs::create_directories(fs::path(target).parent_path(), error);
  return fs::copy_file(hostFile, target, fs::copy_options::overwrite_existing, error);
}

ProcessResult WinePrefix::wine(const std::vector<std::string>& args, double timeoutSeconds) const {
  std::vector<std::string> argv = {wine64()};
  argv.insert(argv.end(), args.begin(), args.end());
  // No display: the template's null driver shows every window headless.
  return runProcess(argv,
                    {{"WINEPREFIX", dir_}, {"WINEDEBUG", "-all"}, {"WINEDLLOVERRIDES", "mscoree,mshtml="},
                     {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}},
                    timeoutSeconds);
}

RobotRun WinePrefix::runRobot(const std::string& commandLine, const std::string& script, int timeoutMs) {
  RobotRun run;
  run.script = script;
  std::string base = "C:\\robot\\run" + std::to_string(++runs_);
  std::string scriptPath = base + "-script.txt", transcriptPath = base + "-transcript.txt";
  if (!writeFile(unixPath(scriptPath), script)) {
    run.parseError = "cannot write the script " + unixPath(scriptPath);
    return run;
  }
  // The host waits longer than the robot, which ends its child itself.
  double hostTimeout = timeoutMs / 1000.0 + 60;
  // Under load Wine now and then refuses to start a process with an internal
  // error (1359) before any of its code runs; that says nothing about the
  // program, so the start is tried once more.
  for (int attempt = 0; attempt < 2; ++attempt) {
    run.robot = wine({robotExe(), "--transcript=" + transcriptPath, "--script=" + scriptPath,
                      "--timeout=" + std::to_string(timeoutMs), commandLine},
                     hostTimeout);
    run.transcriptText = readFile(unixPath(transcriptPath));
    if (run.transcriptText.find("CreateProcess failed: 1359") == std::string::npos) break;
  }
  parseTranscript(run.transcriptText, run.transcript, run.parseError);
  return run;
}

std::optional<RegValue> WinePrefix::regQuery(const std::string& key, const std::string& name) const {
  std::vector<std::string> args = {"reg", "query", key};
  if (name.empty()) {
    args.push_back("/ve");
  } else {
    args.push_back("/v");
    args.push_back(name);
  }
  ProcessResult query = wine(args);
  if (query.exitCode != 0) return std::nullopt;
  return parseRegLine(query.output);
}

bool WinePrefix::regKeyExists(const std::string& key) const {
  return wine({"reg", "query", key}).exitCode == 0;
}

void WinePrefix::stopServer() const {
  std::map<std::string, std::string> env = {{"WINEPREFIX", dir_}};
  runProcess({wineserver(), "-k"}, env, 30);
  runProcess({wineserver(), "-w"}, env, 30);
}

}  // namespace e2e

#include "process.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace e2e {
namespace {

std::vector<std::string> changedEnvironment(const std::map<std::string, std::string>& changes) {
  std::vector<std::string> env;
  for (char** entry = environ; *entry; ++entry) {
    std::string line = *entry;
    if (!changes.count(line.substr(0, line.find('=')))) env.push_back(line);
  }
  for (const auto& change : changes)
    if (!change.second.empty()) env.push_back(change.first + "=" + change.second);
  return env;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> result;
  for (std::string& text : texts) result.push_back(&text[0]);
  result.push_back(nullptr);
  return result;
}

std::string readAndRemove(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  unlink(path.c_str());
  return text.str();
}

}  // namespace

ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& changes, double timeoutSeconds) {
  ProcessResult result;
  // Output goes to a file, not a pipe: wine64 hands its descriptors on to the
  // wineserver it starts, which outlives it, so a pipe would not reach its end.
  char outputPath[] = "/tmp/tavo-e2e-output-XXXXXX";
  int output = mkstemp(outputPath);
  if (output < 0) return result;
  std::vector<std::string> args = argv, env = changedEnvironment(changes);
  std::vector<char*> argp = pointers(args), envp = pointers(env);
  pid_t pid = fork();
  if (pid == 0) {
    int null = open("/dev/null", O_RDONLY);
    dup2(null, 0);
    dup2(output, 1);
    dup2(output, 2);
    execve(argp[0], argp.data(), envp.data());
    _exit(127);
  }
  close(output);
  if (pid < 0) {
    unlink(outputPath);
    return result;
  }
  result.started = true;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      result.timedOut = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (!result.timedOut && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  result.output = readAndRemove(outputPath);
  return result;
}

}  // namespace e2e

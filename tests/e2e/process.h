// Running a host program for the end-to-end tests: its own environment
// changes, its output captured, and a time-out after which that one process
// (and nothing else) is killed.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace e2e {

struct ProcessResult {
  bool started = false;
  int exitCode = -1;      // the exit status, or -1 when it did not exit normally
  bool timedOut = false;  // killed at the time-out
  std::string output;     // stdout and stderr, interleaved
};

// Runs argv[0] (a path; no search) with argv. The environment is this
// process's own with `changes` applied; an empty value removes the variable.
ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& changes, double timeoutSeconds);

}  // namespace e2e

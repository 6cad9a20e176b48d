// Small helpers every end-to-end test uses: host files, and what a run showed.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tests/e2e/wine_prefix.h"

namespace e2e {

// The answers of most runs: a fatal box is acknowledged, anything else (the
// progress dialog above all) is only recorded. A box nobody expected
// therefore stays open, and the run times out with it on record.
extern const char kQuietScript[];

std::vector<uint8_t> readBytes(const std::string& path);
std::string readText(const std::string& path);
// Writes `bytes`, making missing parent folders first.
bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> bytesOf(const std::string& text);

// The message boxes of a run (dialogs with a message text), in order.
std::vector<Dialog> messageBoxes(const RobotRun& run);

// A run that went to its end through Shutdown without the robot's help.
void expectEndedByItself(const RobotRun& run);

}  // namespace e2e

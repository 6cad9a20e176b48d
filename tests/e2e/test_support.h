// Small helpers every end-to-end test uses: host files, and what a run showed.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/e2e/prefix_snapshot.h"
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

// What runs change in a prefix. Made before the runs, it notes the prefix as
// it is and what Wine itself rewrites on any start (it starts Wine once, idly,
// for that); changes() then lists the differences that are not Wine's own
// (nor the keys its desktop integration and console write whenever they get
// to it).
// Folders in `skipped` (drive_c-relative) are the test's own business.
class PrefixChanges {
 public:
  PrefixChanges(const WinePrefix& prefix, std::vector<std::string> skipped = {"robot"});
  // Stops the prefix's wineserver first, so that the registry is saved.
  std::vector<std::string> changes() const;

 private:
  const WinePrefix& prefix_;
  std::vector<std::string> skipped_;
  PrefixSnapshot before_;
  std::vector<std::string> noise_;
};

// Deterministic filler that the packer cannot shrink much.
std::vector<uint8_t> noise(size_t size, uint32_t seed);

// The file offset of the payload section's data in an installer image
// (a test failure and 0 when it has none).
size_t payloadOffset(const std::vector<uint8_t>& image);

// Polls `condition` every 20 ms until it holds (true) or `seconds` have passed (false).
bool waitFor(const std::function<bool()>& condition, double seconds);

// What every test that runs an installer needs first: the UI robot and the
// x64 stub built, and the test's prefix ready. Use with ASSERT_NO_FATAL_FAILURE.
void requireRobotStubAndPrefix(const WinePrefix& prefix);

// One line per item, for comparisons whose failure shows the whole list.
std::string joinedLines(const std::vector<std::string>& lines);

}  // namespace e2e

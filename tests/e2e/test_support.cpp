#include "tests/e2e/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace e2e {

const char kQuietScript[] =
    "on caption \"FATAL ERROR\"\n"
    "  click 1\n"
    "default\n"
    "  ignore\n";

std::vector<uint8_t> readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), (std::streamsize)bytes.size());
  return static_cast<bool>(out);
}

std::vector<uint8_t> bytesOf(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

std::vector<Dialog> messageBoxes(const RobotRun& run) {
  std::vector<Dialog> boxes;
  for (const Dialog& d : run.transcript.dialogs)
    if (d.control(kMessageTextId)) boxes.push_back(d);
  return boxes;
}

void expectEndedByItself(const RobotRun& run) {
  ASSERT_TRUE(run.ok()) << run.describe();
  EXPECT_FALSE(run.transcript.timedOut) << run.describe();
  EXPECT_EQ(run.transcript.exitCode, 1) << run.describe();
}

PrefixChanges::PrefixChanges(const WinePrefix& prefix, std::vector<std::string> skipped)
    : prefix_(prefix), skipped_(std::move(skipped)) {
  prefix_.stopServer();
  before_ = takeSnapshot(prefix_.dir(), skipped_);
  EXPECT_EQ(prefix_.wine({"cmd", "/c", "echo"}).exitCode, 0);
  prefix_.stopServer();
  for (const std::string& change : differences(before_, takeSnapshot(prefix_.dir(), skipped_)))
    noise_.push_back(subjectOf(change));
}

namespace {

// Keys that Wine's own programs write when they get round to it (its desktop
// integration keeps menu entries and file associations below its own key;
// the console keeps its settings; each desktop start rewrites the display
// adapter's device entry), whoever ran.
bool isWinesOwn(const std::string& subject) {
  for (const char* key : {"key user.reg:Console", "value user.reg:Console | ",
                          "key user.reg:Software\\\\Wine\\\\", "value user.reg:Software\\\\Wine\\\\",
                          "key system.reg:System\\\\CurrentControlSet\\\\Control\\\\Class\\\\",
                          "value system.reg:System\\\\CurrentControlSet\\\\Control\\\\Class\\\\"})
    if (subject.rfind(key, 0) == 0) return true;
  return false;
}

}  // namespace

std::vector<std::string> PrefixChanges::changes() const {
  prefix_.stopServer();
  std::vector<std::string> changes;
  for (const std::string& change : differences(before_, takeSnapshot(prefix_.dir(), skipped_))) {
    std::string subject = subjectOf(change);
    if (std::find(noise_.begin(), noise_.end(), subject) == noise_.end() && !isWinesOwn(subject))
      changes.push_back(change);
  }
  return changes;
}

std::vector<uint8_t> noise(size_t size, uint32_t seed) {
  std::vector<uint8_t> bytes(size);
  for (uint8_t& b : bytes) {
    seed = seed * 1664525u + 1013904223u;
    b = uint8_t(seed >> 24);
  }
  return bytes;
}

size_t payloadOffset(const std::vector<uint8_t>& image) {
  auto le = [&](size_t at, int count) {
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = value << 8 | image.at(at + i);
    return size_t(value);
  };
  size_t pe = le(0x3C, 4);
  size_t count = le(pe + 6, 2);
  size_t table = pe + 24 + le(pe + 20, 2);
  for (size_t i = 0; i < count; ++i) {
    size_t entry = table + 40 * i;
    if (std::equal(image.begin() + entry, image.begin() + entry + 6, ".tavo")) return le(entry + 20, 4);
  }
  ADD_FAILURE() << "no payload section";
  return 0;
}

bool waitFor(const std::function<bool()>& condition, double seconds) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

void requireRobotStubAndPrefix(const WinePrefix& prefix) {
  ASSERT_TRUE(std::filesystem::exists(robotExe())) << "build the x64 tree: " << robotExe();
  ASSERT_TRUE(std::filesystem::exists(stubExe(true))) << "stub not built: " << stubExe(true);
  ASSERT_TRUE(prefix.ok());
}

std::string joinedLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

}  // namespace e2e

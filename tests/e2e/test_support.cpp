#include "tests/e2e/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

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

}  // namespace e2e

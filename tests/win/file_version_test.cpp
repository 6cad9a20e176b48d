// File versions from real version resources (the fixture libraries).
#include <gtest/gtest.h>

#include <string>

#include "install/version_compare.h"
#include "win_test_support.h"

using namespace wintest;

namespace {

// A fixture library's path as Wine sees the build folder (Z: is the root).
std::string fixture(const char* name) {
    std::string path = std::string("Z:") + TAVO_FIXTURE_DIR + "/" + name;
    for (char& c : path) c = c == '/' ? '\\' : c;
    return path;
}

TEST(FileVersionText, ReadsTheUsEnglishFileVersionPadded) {
    EXPECT_EQ(str(FileVersionText(text(fixture("version_fixture_1_9.dll")))), "0000000001.0000000009");
    EXPECT_EQ(str(FileVersionText(text(fixture("version_fixture_2_0.dll")))), "0000000002.0000000000");
}

TEST(FileVersionText, OtherLanguagesMissingResourcesAndFilesGiveNothing) {
    EXPECT_EQ(str(FileVersionText(text(fixture("version_fixture_german.dll")))), "");
    EXPECT_EQ(str(FileVersionText(text(selfPath()))), "") << "no version resource";
    EXPECT_EQ(str(FileVersionText(text(fixture("missing.dll")))), "");
    EXPECT_EQ(str(FileVersionText(String())), "");
}

TEST(FileVersionText, FixtureVersionsCompareAsTheInstallerWill) {
    String older = FileVersionText(text(fixture("version_fixture_1_9.dll")));
    String newer = FileVersionText(text(fixture("version_fixture_2_0.dll")));
    EXPECT_LT(CompareVersions(older, newer), 0);
    EXPECT_EQ(CompareVersions(String("1.9"), older), 0) << "a catalogue version against the padded file version";
    EXPECT_GT(CompareVersions(String("1.10"), older), 0);
}

}  // namespace

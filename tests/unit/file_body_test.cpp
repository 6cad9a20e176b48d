#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/file_body.h"

namespace {

std::string str(const String& s) { return std::string(s.text(), size_t(s.length())); }

constexpr uint32_t kReplaceInUse = 0x800;
constexpr uint32_t kVerify = 0x40000;
constexpr uint32_t kClearAttributes = 0x80000;

// A disk that fails on request and writes down every call, in order.
class FakeDisk : public FileBodySystem {
public:
    bool writeFile(const String& path, const uint8_t* body, int32_t size) override {
        calls.push_back("write");
        bool ok = writesFailing == 0;
        if (!ok) {
            writesFailing--;
            lastError = "Access is denied.\r\n";
        }
        return ok;
    }
    bool fileMatches(const String&, const uint8_t*, int32_t) override {
        calls.push_back("verify");
        if (mismatches == 0) return true;
        mismatches--;
        return false;
    }
    void clearAttributes(const String&, uint32_t mask) override { calls.push_back("clear " + std::to_string(mask)); }
    void setModifiedTime(const String&, const DateTime& time) override {
        calls.push_back("time " + std::to_string(time.year));
    }
    void setAttributes(const String&, uint32_t value, uint32_t mask) override {
        calls.push_back("attributes " + std::to_string(value) + "/" + std::to_string(mask));
    }
    String lastErrorText() override { return String(lastError.c_str()); }
    void clearLastError() override { lastError.clear(); }
    void appendFailure(String& report, const String& path) override {
        report.appendFormat("Failed: %s\r\n%s\r\n", path, lastError.c_str());
    }
    bool writeTempFile(const uint8_t*, int32_t, String& name) override {
        calls.push_back("temp");
        name = tempName.c_str();
        if (!tempWorks) lastError = "Disk full.\r\n";
        return tempWorks;
    }
    bool replaceAtRestart(const String& temporary, const String& destination) override {
        calls.push_back("schedule " + str(temporary) + " " + str(destination));
        if (!scheduleWorks) lastError = "Denied at restart.\r\n";
        return scheduleWorks;
    }
    void deleteFile(const String& path) override { calls.push_back("delete " + str(path)); }

    int writesFailing = 0;
    int mismatches = 0;
    bool tempWorks = true;
    bool scheduleWorks = true;
    std::string tempName = "C:\\TEMP\\TVT1.TMP";
    std::string lastError;
    std::vector<std::string> calls;
};

struct Outcome {
    FileBodyResult result;
    std::string problems;
    std::string log;
};

class FileBodyTest : public testing::Test {
protected:
    Outcome write(bool mayReplaceAtRestart, uint32_t flags) {
        String problems;
        String log;
        FileBodyReports reports = {&problems, &log, "Error writing"};
        FileBodyResult result =
            writeFileBodyWith(disk, String("C:\\App\\a.dll"), body, mayReplaceAtRestart, flags, reports);
        return {result, str(problems), str(log)};
    }
    std::vector<std::string> calls(std::initializer_list<const char*> list) {
        return std::vector<std::string>(list.begin(), list.end());
    }

    FakeDisk disk;
    FileBody body;
};

TEST_F(FileBodyTest, WrittenFileGetsItsTimeOnlyWithDateAndTime) {
    body.time = {2004, 12, 4, 16, 10, 44};
    body.attributes = 0x21;
    EXPECT_EQ(write(false, 0).result, FileBodyWritten);
    EXPECT_EQ(disk.calls, calls({"write", "time 2004", "attributes 33/4391"}));

    disk.calls.clear();
    body.time.hour = -1;  // a date without a time keeps the file's own time
    body.attributes = 0;  // 0 still clears the masked attributes
    EXPECT_EQ(write(false, 0).result, FileBodyWritten);
    EXPECT_EQ(disk.calls, calls({"write", "attributes 0/4391"}));

    disk.calls.clear();
    body.time = {2004, 0, 0, 16, 10, 44};  // no date
    body.attributes = kBodyAttributesUnchanged;
    EXPECT_EQ(write(false, 0).result, FileBodyWritten);
    EXPECT_EQ(disk.calls, calls({"write"}));
}

TEST_F(FileBodyTest, VerificationRetriesTwiceThenReportsWithoutAnOldErrorText) {
    disk.lastError = "Stale error.\r\n";
    disk.mismatches = 3;
    Outcome outcome = write(true, kVerify);
    EXPECT_EQ(outcome.result, FileBodyFailed);
    EXPECT_EQ(disk.calls, calls({"write", "verify", "write", "verify", "write", "verify"}));
    EXPECT_EQ(outcome.problems, "Failed: C:\\App\\a.dll\r\n\r\n");
    EXPECT_EQ(outcome.log, "");

    disk.calls.clear();
    disk.mismatches = 2;  // the third write matches
    EXPECT_EQ(write(false, kVerify).result, FileBodyWritten);
    EXPECT_EQ(disk.calls.size(), 6u);

    disk.calls.clear();
    disk.mismatches = 5;  // without the option nothing is compared
    EXPECT_EQ(write(false, 0).result, FileBodyWritten);
    EXPECT_EQ(disk.calls, calls({"write"}));
}

TEST_F(FileBodyTest, AttributesAreClearedAfterTheFirstFailureOnlyWhenAsked) {
    disk.writesFailing = 1;
    EXPECT_EQ(write(false, kClearAttributes).result, FileBodyWritten);
    EXPECT_EQ(disk.calls, calls({"write", "clear 7", "write"}));

    disk.calls.clear();
    disk.writesFailing = 3;
    Outcome outcome = write(false, kClearAttributes);
    EXPECT_EQ(outcome.result, FileBodyFailed);
    EXPECT_EQ(disk.calls, calls({"write", "clear 7", "write", "write"})) << "cleared once only";

    disk.calls.clear();
    disk.writesFailing = 3;
    outcome = write(false, 0);
    EXPECT_EQ(outcome.result, FileBodyFailed);
    EXPECT_EQ(disk.calls, calls({"write", "write", "write"}));
    EXPECT_EQ(outcome.problems, "\r\nError writing C:\\App\\a.dll\r\nAccess is denied.\r\n\r\n");
}

TEST_F(FileBodyTest, AfterAMismatchALaterFailureClearsNothing) {
    // The first write works but differs; every later one fails.
    class FailsAfterFirst : public FakeDisk {
    public:
        bool writeFile(const String& path, const uint8_t* body, int32_t size) override {
            bool ok = FakeDisk::writeFile(path, body, size);
            writesFailing = 5;
            return ok;
        }
    } fails;
    fails.mismatches = 1;
    String problems, log;
    FileBodyReports reports = {&problems, &log, "Error writing"};
    EXPECT_EQ(writeFileBodyWith(fails, String("x"), body, false, kVerify | kClearAttributes, reports), FileBodyFailed);
    EXPECT_EQ(fails.calls, calls({"write", "verify", "write", "write"}));
}

TEST_F(FileBodyTest, AFileInUseIsScheduledOnlyWhenAllowed) {
    const std::string notWritten = "\r\nError writing C:\\App\\a.dll\r\nAccess is denied.\r\n\r\n";
    const struct {
        bool mayReplace;
        uint32_t flags;
        bool scheduled;
    } cases[] = {{false, 0, false}, {true, 0, true}, {false, kReplaceInUse, true}, {true, kReplaceInUse, true}};
    for (const auto& c : cases) {
        FakeDisk fresh;
        disk = fresh;
        disk.writesFailing = 3;
        Outcome outcome = write(c.mayReplace, c.flags);
        SCOPED_TRACE(testing::Message() << "may " << c.mayReplace << " flags " << c.flags);
        if (!c.scheduled) {
            EXPECT_EQ(outcome.result, FileBodyFailed);
            EXPECT_EQ(outcome.problems, notWritten);
            EXPECT_EQ(outcome.log, "");
            continue;
        }
        EXPECT_EQ(outcome.result, FileBodyScheduled);
        EXPECT_EQ(outcome.problems, "") << "a scheduled replacement is no problem";
        EXPECT_EQ(outcome.log, notWritten +
                                   "\"C:\\App\\a.dll\" has been successfully registered for replacement.\r\n"
                                   "Temporary file is \"C:\\TEMP\\TVT1.TMP\"\r\nReboot will be required.\r\n\r\n");
        EXPECT_EQ(disk.calls.back(), "schedule C:\\TEMP\\TVT1.TMP C:\\App\\a.dll");
    }
}

TEST_F(FileBodyTest, FailedSchedulingIsReportedAndTheTemporaryFileRemoved) {
    disk.writesFailing = 3;
    disk.scheduleWorks = false;
    Outcome outcome = write(true, 0);
    EXPECT_EQ(outcome.result, FileBodyFailed);
    EXPECT_EQ(outcome.log, "");
    EXPECT_EQ(outcome.problems,
              "\r\nError writing C:\\App\\a.dll\r\nAccess is denied.\r\n\r\n"
              "Failed to register 'C:\\App\\a.dll' for replacement with temporary file 'C:\\TEMP\\TVT1.TMP'\r\n"
              "Denied at restart.\r\n\r\n");
    EXPECT_EQ(disk.calls.back(), "delete C:\\TEMP\\TVT1.TMP");
}

TEST_F(FileBodyTest, NoTemporaryFileIsReported) {
    disk.writesFailing = 3;
    disk.tempWorks = false;
    disk.tempName = "";
    Outcome outcome = write(true, 0);
    EXPECT_EQ(outcome.result, FileBodyFailed);
    EXPECT_EQ(outcome.problems,
              "\r\nError writing C:\\App\\a.dll\r\nAccess is denied.\r\n\r\n"
              "Failed to register 'C:\\App\\a.dll' for replacement because no temporary file could be created.\r\n"
              "Disk full.\r\n\r\n");
    EXPECT_EQ(disk.calls.back(), "temp") << "nothing scheduled, nothing to delete";
}

TEST_F(FileBodyTest, TheNoteLeavesOutAnEmptyErrorText) {
    class Silent : public FakeDisk {
    public:
        String lastErrorText() override { return String(); }
    } silent;
    silent.writesFailing = 3;
    String problems, log;
    FileBodyReports reports = {&problems, &log, "Error writing"};
    EXPECT_EQ(writeFileBodyWith(silent, String("C:\\a"), body, false, 0, reports), FileBodyFailed);
    EXPECT_EQ(str(problems), "\r\nError writing C:\\a\r\n");
}

}  // namespace

// Processes, system information and late binding.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/clock.h"
#include "core/file_system.h"
#include "core/os_version.h"
#include "core/system_info.h"
#include "win_test_support.h"

using namespace wintest;

namespace {

TEST(RunProcess, WaitingGivesTheExitCode) {
    EXPECT_EQ(runProcess(text(helperCommand("--exit-code=7")), RunWait | RunPumpMessages, String()), 7u);
    EXPECT_EQ(runProcess(text(helperCommand("--exit-code=0")), RunWait | RunPumpMessages | RunHidden, String()), 0u);
}

TEST(RunProcess, NotWaitingGivesStartedWithoutExitCode) {
    std::string marker = scratchDir() + "\\touched.txt";
    EXPECT_EQ(runProcess(text(helperCommand("--exit-code=0")), 0, String()), RunNoExitCode);
    EXPECT_EQ(runProcess(text(helperCommand("--touch-after-delay=" + marker)), 0, String()), RunNoExitCode);
    EXPECT_FALSE(existsRaw(marker)) << "the call did not wait";
    for (int i = 0; i < 200 && !existsRaw(marker); i++) Sleep(50);
    EXPECT_TRUE(existsRaw(marker)) << "the program ran";
}

TEST(RunProcess, ProgramsThatCannotStart) {
    EXPECT_EQ(runProcess(String(), RunWait, String()), RunNotStarted);
    EXPECT_EQ(runProcess(String("C:\\no\\such\\program.exe"), RunWait, String()), RunNotStarted);
}

TEST(RunProcess, RunsInTheGivenDirectory) {
    std::string dir = scratchDir();
    EXPECT_EQ(runProcess(String("cmd.exe /c cd > where.txt"), RunWait | RunHidden, text(dir)), 0u);
    std::string where = readRaw(dir + "\\where.txt");
    EXPECT_EQ(lowerCase(where.substr(0, dir.size())), lowerCase(dir)) << where;
}

TEST(ShellOpen, AnEmptyPathIsRefused) { EXPECT_FALSE(shellOpen(String())); }

TEST(SystemInfo, VersionAnswers) {
    // Wine reports an NT-family system newer than any listed one.
    EXPECT_TRUE(IsNtFamily());
    EXPECT_EQ(CurrentOsCode(), uint32_t(OsCodeOther));
    std::string version = str(OsVersionText());
    EXPECT_EQ(version.rfind("Windows NT ", 0), 0u) << version;
    EXPECT_NE(version.back(), ' ');
}

TEST(SystemInfo, ElapsedTimeAndTheClock) {
    uint32_t start = TickCount();
    SleepMs(100);
    EXPECT_GE(ElapsedMs(start), 50u);
    EXPECT_LT(ElapsedMs(start), 60000u);
    EXPECT_LT(ElapsedMs(start + 1000), 60000u) << "a start after now still gives a small distance";

    SYSTEMTIME local;
    GetLocalTime(&local);
    Timestamp now = nowTimestamp();
    EXPECT_EQ(now.date.year, local.wYear);
    EXPECT_FALSE(now.date.isNull());
    EXPECT_TRUE(now.time.isSet());
}

TEST(LateBinding, BindFunctionFindsExportsAndReleasesOnAMiss) {
    void* entry = reinterpret_cast<void*>(1);
    ASSERT_TRUE(BindFunction("kernel32.dll", "GetTickCount", entry));
    ASSERT_NE(entry, nullptr);
    EXPECT_GT(asFunction<decltype(&::GetTickCount)>(entry)(), 0u);

    // A library nothing else here uses: a miss must not leave it loaded.
    ASSERT_EQ(GetModuleHandleA("msimg32.dll"), nullptr);
    entry = reinterpret_cast<void*>(1);
    EXPECT_FALSE(BindFunction("msimg32.dll", "NoSuchFunction", entry));
    EXPECT_EQ(entry, nullptr);
    EXPECT_EQ(GetModuleHandleA("msimg32.dll"), nullptr);

    entry = reinterpret_cast<void*>(1);
    EXPECT_FALSE(BindFunction("no-such-library.dll", "Anything", entry));
    EXPECT_EQ(entry, nullptr);
}

TEST(LateBinding, BindFunctionsFillsTheTable) {
    void* tick = nullptr;
    void* missing = reinterpret_cast<void*>(1);
    FunctionTableEntry optional[] = {
        {"GetTickCount", &tick, false}, {"NoSuchFunction", &missing, true}, {nullptr, nullptr, false}};
    EXPECT_TRUE(BindFunctions("kernel32.dll", optional));
    EXPECT_NE(tick, nullptr);
    EXPECT_EQ(missing, nullptr);

    FunctionTableEntry required[] = {{"GetTickCount", &tick, false}, {"NoSuchFunction", &missing, false}, {"", nullptr, false}};
    EXPECT_FALSE(BindFunctions("kernel32.dll", required));
    EXPECT_NE(tick, nullptr);

    FunctionTableEntry noLibrary[] = {{"GetTickCount", &tick, true}, {nullptr, nullptr, false}};
    EXPECT_FALSE(BindFunctions("no-such-library.dll", noLibrary));
    EXPECT_EQ(tick, nullptr);
}

TEST(LateBinding, LateLibraryLoadsOnFirstUseAndReleases) {
    LateLibrary library(String("version.dll"));
    EXPECT_FALSE(library.isLoaded());
    EXPECT_NE(library.function("GetFileVersionInfoSizeA"), nullptr);
    EXPECT_TRUE(library.isLoaded());
    EXPECT_EQ(library.function("NoSuchFunction"), nullptr);
    library.setName(String("no-such-library.dll"));
    EXPECT_FALSE(library.isLoaded());
    EXPECT_FALSE(library.load());
    EXPECT_EQ(library.function("GetFileVersionInfoSizeA"), nullptr);
}

}  // namespace

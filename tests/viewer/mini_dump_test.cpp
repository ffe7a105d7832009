// The crash-dump hook: the numbering of dump files and a crashing program that writes its report
// into the next free one.
#include "tests/support/process.h"
#include "tests/support/temp_folder.h"
#include "viewer/mini_dump.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace qelt::testing
{

namespace
{

struct cNumberingCase
{
    const char* name;
    const char* pathTemplate; // under the test folder
    std::vector<std::string> existing;
    const char* expected;
};

class DumpNumbering : public ::testing::TestWithParam<cNumberingCase>
{
};

} // namespace

TEST_P(DumpNumbering, PicksFirstFreeName)
{
    cTempFolder folder;
    const cNumberingCase& param = GetParam();
    for (const std::string& name : param.existing)
        writeBytes(folder / name, {});
    EXPECT_EQ(nextFreeDumpFile(folder / param.pathTemplate), folder / param.expected);
}

std::vector<std::string> allThousand()
{
    std::vector<std::string> names;
    for (int n = 0; n < 1000; ++n)
    {
        char name[32];
        std::snprintf(name, sizeof name, "D1.2-%03d.dmp", n);
        names.push_back(name);
    }
    return names;
}

INSTANTIATE_TEST_SUITE_P(
    Names, DumpNumbering,
    ::testing::Values(
        cNumberingCase{"NoneTaken", "D1.2-000.dmp", {}, "D1.2-000.dmp"},
        cNumberingCase{
            "TwoTaken", "D1.2-000.dmp", {"D1.2-000.dmp", "D1.2-001.dmp"}, "D1.2-002.dmp"},
        cNumberingCase{"GapIsFilled", "D1.2-000.dmp", {"D1.2-001.dmp"}, "D1.2-000.dmp"},
        cNumberingCase{"AllTakenEndsAtLast", "D1.2-000.dmp", allThousand(), "D1.2-999.dmp"},
        cNumberingCase{"RunWidthKept", "x-00.dmp", {"x-00.dmp"}, "x-01.dmp"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DumpName, NamesMachineAndVersion)
{
    const std::string name = buildMiniDumpName();
    EXPECT_EQ(name.rfind("QELT_VIEWER_", 0), 0u);
    EXPECT_EQ(name.substr(name.size() - miniDumpVersionText().size()), miniDumpVersionText());
    const std::string machine = miniDumpMachineText();
    EXPECT_EQ(name, "QELT_VIEWER_" + machine + "_" + miniDumpVersionText());
    // Lower-case hex pairs, or one of the failure texts.
    if (machine.rfind("ERR", 0) != 0)
    {
        EXPECT_EQ(machine.size() % 2, 0u);
        EXPECT_EQ(machine.find_first_not_of("0123456789abcdef"), std::string::npos) << machine;
    }
}

struct cCrashCase
{
    const char* name;
    bool dumpType;
};

class CrashHook : public ::testing::TestWithParam<cCrashCase>
{
};

// With QELT_DUMP_TYPE the crash writes a report into the next free name; without it the system
// handles the crash alone and nothing is written.
TEST_P(CrashHook, CrashWritesReportIntoNextFreeName)
{
    const cCrashCase& param = GetParam();
    cTempFolder folder;
    EnvironmentChanges changes = {{"QELT_DUMP_DIR", folder.path() + "/"},
                                  {"QELT_DUMP_TYPE", std::nullopt},
                                  {"ASAN_OPTIONS", std::string("handle_segv=0")},
                                  {"TSAN_OPTIONS", std::string("handle_segv=0")}};
    if (param.dumpType)
        changes["QELT_DUMP_TYPE"] = std::string("1");
    // The program prints its dump name before it crashes.
    const cProcessResult result = runProcess(QELT_CRASH_PROGRAM, {}, changes);
    EXPECT_EQ(result.exitCode, -1) << result.err;
    const std::string name = result.out.substr(0, result.out.find('\n'));
    ASSERT_EQ(name.rfind("QELT_VIEWER_", 0), 0u) << result.out;
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path()))
        ++files;
    if (!param.dumpType)
    {
        EXPECT_EQ(files, 0);
        return;
    }
    const std::string report = readText(folder / (name + "-000.dmp"));
    EXPECT_NE(report.find("signal 11"), std::string::npos) << report;
    EXPECT_NE(report.find("backtrace:"), std::string::npos) << report;
}

INSTANTIATE_TEST_SUITE_P(Environment, CrashHook,
                         ::testing::Values(cCrashCase{"WithDumpType", true},
                                           cCrashCase{"WithoutDumpType", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Crashes after two earlier ones: the third report goes into the "-002.dmp" name.
TEST(CrashHookNumbering, ThirdCrashTakesNameTwo)
{
    cTempFolder folder;
    const EnvironmentChanges changes = {{"QELT_DUMP_DIR", folder.path() + "/"},
                                        {"QELT_DUMP_TYPE", std::string("1")},
                                        {"ASAN_OPTIONS", std::string("handle_segv=0")},
                                        {"TSAN_OPTIONS", std::string("handle_segv=0")}};
    std::string name;
    for (int run = 0; run < 3; ++run)
    {
        const cProcessResult result = runProcess(QELT_CRASH_PROGRAM, {}, changes);
        name = result.out.substr(0, result.out.find('\n'));
    }
    for (const char* suffix : {"-000.dmp", "-001.dmp", "-002.dmp"})
        EXPECT_TRUE(std::filesystem::exists(folder / (name + suffix))) << suffix;
    EXPECT_FALSE(std::filesystem::exists(folder / (name + "-003.dmp")));
}

} // namespace qelt::testing

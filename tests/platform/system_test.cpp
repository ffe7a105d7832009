// Tests of the process-level services: debug channel, environment, folders, program paths.
#include "platform/system.h"

#include "platform/shared_library.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/statvfs.h>

#include <cstdlib>
#include <filesystem>
#include <ostream>

namespace qelt::platform
{
namespace
{

using qelt::testing::cTempFolder;

// ---------------------------------------------------------------------------------------------
// Debug channel
// ---------------------------------------------------------------------------------------------

TEST(DebugOutput, WritesTextAsItIsOnlyWhenSwitchedOn)
{
    const bool before = debugOutputEnabled();

    setDebugOutputEnabled(false);
    ::testing::internal::CaptureStderr();
    debugOutput("hidden\n");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(debugOutputEnabled());

    setDebugOutputEnabled(true);
    ::testing::internal::CaptureStderr();
    debugOutput("first ");
    debugOutput("second\n");
    debugOutput(nullptr);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "first second\n");
    EXPECT_TRUE(debugOutputEnabled());

    setDebugOutputEnabled(before);
}

struct DebugEnvironmentCase
{
    const char* name;
    const char* value; // null: the variable is not set
    int overrideWith;  // -1: no call to setDebugOutputEnabled
    bool expected;
};

// Test names and failure messages show the row's name, not its bytes.
void PrintTo(const DebugEnvironmentCase& row, std::ostream* out)
{
    *out << row.name;
}

class DebugEnvironment : public ::testing::TestWithParam<DebugEnvironmentCase>
{
};

// The variable is read once, on first use, so each case runs in a fresh process.
TEST_P(DebugEnvironment, DecidesOnFirstUse)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const DebugEnvironmentCase& row = GetParam();
    EXPECT_EXIT(
        {
            if (row.value != nullptr)
            {
                ::setenv("QELT_DEBUG_LOG", row.value, 1);
            }
            else
            {
                ::unsetenv("QELT_DEBUG_LOG");
            }
            if (row.overrideWith >= 0)
            {
                setDebugOutputEnabled(row.overrideWith == 1);
            }
            debugOutput("marker");
            std::exit(debugOutputEnabled() ? 3 : 4);
        },
        ::testing::ExitedWithCode(row.expected ? 3 : 4), row.expected ? "marker" : "^$");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DebugEnvironment,
    ::testing::Values(DebugEnvironmentCase{"true", "true", -1, true},
                    DebugEnvironmentCase{"upper_case", "TRUE", -1, true},
                    DebugEnvironmentCase{"mixed_case", "True", -1, true},
                    DebugEnvironmentCase{"one", "1", -1, false},
                    DebugEnvironmentCase{"false", "false", -1, false},
                    DebugEnvironmentCase{"unset", nullptr, -1, false},
                    DebugEnvironmentCase{"other_text", "yes", -1, false},
                    DebugEnvironmentCase{"switched_off_over_true", "true", 0, false},
                    DebugEnvironmentCase{"switched_on_over_unset", nullptr, 1, true}),
    [](const ::testing::TestParamInfo<DebugEnvironmentCase>& info) { return info.param.name; });

// ---------------------------------------------------------------------------------------------
// Environment
// ---------------------------------------------------------------------------------------------

TEST(Environment, SetGetAndRemove)
{
    const std::string name = "QELT_PLATFORM_TEST_VARIABLE";
    ASSERT_TRUE(setEnvironment(name, std::string("some value")));
    EXPECT_EQ(getEnvironment(name), std::optional<std::string>("some value"));
    EXPECT_STREQ(std::getenv(name.c_str()), "some value");

    ASSERT_TRUE(setEnvironment(name, std::string()));
    EXPECT_EQ(getEnvironment(name), std::optional<std::string>(""));

    ASSERT_TRUE(setEnvironment(name, std::nullopt));
    EXPECT_EQ(getEnvironment(name), std::nullopt);
}

TEST(Environment, RejectsNamesTheSystemCannotHold)
{
    EXPECT_FALSE(setEnvironment("", std::string("x")));
    EXPECT_FALSE(setEnvironment("A=B", std::string("x")));
    EXPECT_EQ(getEnvironment("A"), std::nullopt);
}

// ---------------------------------------------------------------------------------------------
// Folders and program paths
// ---------------------------------------------------------------------------------------------

TEST(Folders, TemporaryFolderFollowsTmpdirAndEndsWithSlash)
{
    cTempFolder folder;
    const std::optional<std::string> before = getEnvironment("TMPDIR");

    ASSERT_TRUE(setEnvironment("TMPDIR", folder.path()));
    EXPECT_EQ(temporaryFolder(), folder.path() + "/");
    ASSERT_TRUE(setEnvironment("TMPDIR", folder.path() + "/"));
    EXPECT_EQ(temporaryFolder(), folder.path() + "/");

    setEnvironment("TMPDIR", before);
    EXPECT_EQ(temporaryFolder().back(), '/');
    EXPECT_TRUE(std::filesystem::is_directory(temporaryFolder()));
}

TEST(Folders, FreeDiskSpaceIsWithinTheFileSystem)
{
    cTempFolder folder;
    const std::optional<uint64_t> free = freeDiskSpace(folder.path());
    ASSERT_TRUE(free.has_value());
    struct statvfs info
    {
    };
    ASSERT_EQ(::statvfs(folder.path().c_str(), &info), 0);
    EXPECT_LE(*free, uint64_t{info.f_blocks} * info.f_frsize);

    EXPECT_EQ(freeDiskSpace(folder / "missing/deeper"), std::nullopt);
}

TEST(Folders, ExecutablePathNamesThisProgram)
{
    const std::string path = executablePath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_EQ(std::filesystem::path(path).filename(), "platform_tests");
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
}

void functionInThisProgram() {}

TEST(Folders, ModulePathNamesTheModuleHoldingTheAddress)
{
    EXPECT_EQ(modulePath(reinterpret_cast<const void*>(&functionInThisProgram)), executablePath());

    cSharedLibrary library;
    ASSERT_TRUE(library.open(QELT_TEST_PLUGIN_DIR "/plugin_alpha.so")) << library.error();
    const void* export_ = library.symbol("Fn");
    ASSERT_NE(export_, nullptr);
    const std::string path = modulePath(export_);
    EXPECT_EQ(path, std::filesystem::canonical(QELT_TEST_PLUGIN_DIR "/plugin_alpha.so").string());

    EXPECT_EQ(modulePath(nullptr), "");
}

} // namespace
} // namespace qelt::platform

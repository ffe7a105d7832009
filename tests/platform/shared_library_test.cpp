// Tests of library loading: the "name.dll" and "_Name@N" mappings and real loads of two plug-ins.
#include "platform/shared_library.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <ostream>

namespace qelt::platform
{
namespace
{

using qelt::testing::cCurrentFolder;

struct NameCase
{
    const char* name;
    const char* input;
    const char* expected;
};

// Test names and failure messages show the row's name, not its bytes.
void PrintTo(const NameCase& row, std::ostream* out)
{
    *out << row.name;
}

std::string caseName(const ::testing::TestParamInfo<NameCase>& info)
{
    return info.param.name;
}

// ---------------------------------------------------------------------------------------------
// Name mappings
// ---------------------------------------------------------------------------------------------

class LibraryFileName : public ::testing::TestWithParam<NameCase>
{
};

TEST_P(LibraryFileName, Maps)
{
    EXPECT_EQ(sharedLibraryFileName(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LibraryFileName,
    ::testing::Values(NameCase{"plain_dll", "engine.dll", "engine.so"},
                    NameCase{"upper_extension", "Engine.DLL", "Engine.so"},
                    NameCase{"mixed_extension", "plinth_gl.dLl", "plinth_gl.so"},
                    NameCase{"folder_kept", "dir\\sub\\x.dll", "dir/sub/x.so"},
                    NameCase{"absolute_folder", "/opt/lib/x.dll", "/opt/lib/x.so"},
                    NameCase{"already_so", "libm.so.6", "libm.so.6"},
                    NameCase{"dll_inside_name", "x.dll.bak", "x.dll.bak"},
                    NameCase{"no_dot", "xdll", "xdll"}, NameCase{"empty", "", ""}),
    caseName);

class SymbolName : public ::testing::TestWithParam<NameCase>
{
};

TEST_P(SymbolName, Undecorates)
{
    EXPECT_EQ(undecoratedSymbolName(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SymbolName,
    ::testing::Values(NameCase{"run", "_Run@12", "Run"}, NameCase{"zero_bytes", "_Close@0", "Close"},
                    NameCase{"long_name", "_LoadSceneFromMemory@16", "LoadSceneFromMemory"},
                    NameCase{"plain", "Run", "Run"}, NameCase{"underscore_only", "_Run", "_Run"},
                    NameCase{"no_underscore", "Run@12", "Run@12"},
                    NameCase{"no_digits", "_Run@", "_Run@"},
                    NameCase{"letters_after_at", "_Run@1x", "_Run@1x"},
                    NameCase{"empty_name", "_@4", "_@4"}, NameCase{"empty", "", ""}),
    caseName);

// ---------------------------------------------------------------------------------------------
// Loading
// ---------------------------------------------------------------------------------------------

using FnType = int (*)(int, int);

// Fn(7, 4): 74 from the first plug-in, 3 from the second; empty when the export is missing.
std::optional<int> callFn(const cSharedLibrary& library)
{
    const auto fn = reinterpret_cast<FnType>(library.symbol("_Fn@8"));
    return fn != nullptr ? std::optional<int>(fn(7, 4)) : std::nullopt;
}

std::string withBackslashes(std::string text)
{
    for (char& c : text)
    {
        if (c == '/')
        {
            c = '\\';
        }
    }
    return text;
}

struct LoadCase
{
    const char* name;
    std::string library;
    int expected; // Fn(7, 4)
};

// Test names and failure messages show the row's name, not its bytes.
void PrintTo(const LoadCase& row, std::ostream* out)
{
    *out << row.name;
}

class LoadLibrary : public ::testing::TestWithParam<LoadCase>
{
};

TEST_P(LoadLibrary, FindsTheDecoratedExport)
{
    cSharedLibrary library;
    ASSERT_TRUE(library.open(GetParam().library)) << library.error();
    EXPECT_TRUE(library.isOpen());
    EXPECT_EQ(callFn(library), GetParam().expected);
}

const std::string kPlugins = QELT_TEST_PLUGIN_DIR;

INSTANTIATE_TEST_SUITE_P(
    Cases, LoadLibrary,
    ::testing::Values(LoadCase{"alpha_as_dll", kPlugins + "/plugin_alpha.dll", 74},
                    LoadCase{"beta_as_dll", kPlugins + "/plugin_beta.DLL", 3},
                    LoadCase{"alpha_as_so", kPlugins + "/plugin_alpha.so", 74},
                    LoadCase{"backslashes", withBackslashes(kPlugins + "/plugin_alpha.dll"), 74},
                    LoadCase{"other_case", kPlugins + "/PLUGIN_BETA.dll", 3}),
    [](const ::testing::TestParamInfo<LoadCase>& info) { return info.param.name; });

TEST(SharedLibrary, LoadsFromTheCurrentFolderBeforeTheSearchPath)
{
    cCurrentFolder current(QELT_TEST_PLUGIN_DIR);
    cSharedLibrary library;
    ASSERT_TRUE(library.open("plugin_beta.dll")) << library.error();
    EXPECT_EQ(callFn(library), 3);
    const auto close = reinterpret_cast<const char* (*)()>(library.symbol("_Close@0"));
    ASSERT_NE(close, nullptr);
    EXPECT_STREQ(close(), "beta");
}

TEST(SharedLibrary, LoadsFromTheSearchPathWithoutAFolder)
{
    cSharedLibrary library;
    ASSERT_TRUE(library.open("libm.so.6")) << library.error();
    EXPECT_NE(library.symbol("cos"), nullptr);
}

TEST(SharedLibrary, MissingExportsAreNull)
{
    cSharedLibrary library;
    ASSERT_TRUE(library.open(kPlugins + "/plugin_alpha.dll")) << library.error();
    EXPECT_EQ(library.symbol("_Missing@4"), nullptr);
    EXPECT_EQ(library.symbol("Close"), nullptr);
    // Built without default visibility, so not exported.
    EXPECT_EQ(library.symbol("Hidden"), nullptr);
}

TEST(SharedLibrary, MissingLibraryReportsTheMappedName)
{
    cSharedLibrary library;
    EXPECT_FALSE(library.open("no_such_library.dll"));
    EXPECT_FALSE(library.isOpen());
    EXPECT_NE(library.error().find("no_such_library.so"), std::string::npos) << library.error();
    EXPECT_EQ(library.symbol("Fn"), nullptr);

    EXPECT_FALSE(library.open(""));
    EXPECT_FALSE(library.error().empty());
}

TEST(SharedLibrary, MovesOwnership)
{
    cSharedLibrary first;
    ASSERT_TRUE(first.open(kPlugins + "/plugin_alpha.dll")) << first.error();
    cSharedLibrary second(std::move(first));
    EXPECT_FALSE(first.isOpen());
    EXPECT_EQ(callFn(second), 74);

    cSharedLibrary third;
    ASSERT_TRUE(third.open(kPlugins + "/plugin_beta.dll")) << third.error();
    third = std::move(second);
    EXPECT_FALSE(second.isOpen());
    EXPECT_EQ(callFn(third), 74);

    third.close();
    EXPECT_FALSE(third.isOpen());
    EXPECT_EQ(third.symbol("Fn"), nullptr);
}

} // namespace
} // namespace qelt::platform

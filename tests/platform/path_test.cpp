// Tests of file names as scenes write them: separators, matching without regard to case, opening
// and creating files and folders.
#include "platform/path.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <ostream>

namespace qelt::platform
{
namespace
{

using qelt::testing::cCurrentFolder;
using qelt::testing::cTempFolder;
using qelt::testing::readText;
using qelt::testing::writeText;

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// A small tree with mixed-case names:
//   Data/Textures/Wall.PNG, data.txt, Dup/, DUP/
class PathTree : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        namespace fs = std::filesystem;
        fs::create_directories(root / "Data/Textures");
        fs::create_directories(root / "Dup");
        fs::create_directories(root / "DUP");
        writeText(root / "Data/Textures/Wall.PNG", "wall");
        writeText(root / "data.txt", "lower");
    }

    std::string read(const std::string& name)
    {
        FilePtr file(openFile(name, "rb"));
        if (!file)
        {
            return "<cannot open>";
        }
        char buffer[64] = {};
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
        return std::string(buffer, got);
    }

    cTempFolder root;
};

// ---------------------------------------------------------------------------------------------
// Names only
// ---------------------------------------------------------------------------------------------

struct TextCase
{
    const char* name;
    const char* input;
    const char* expected;
};

// Test names and failure messages show the row's name, not its bytes.
void PrintTo(const TextCase& row, std::ostream* out)
{
    *out << row.name;
}

std::string textCaseName(const ::testing::TestParamInfo<TextCase>& info)
{
    return info.param.name;
}

class NativeSeparators : public ::testing::TestWithParam<TextCase>
{
};

TEST_P(NativeSeparators, Converts)
{
    EXPECT_EQ(toNativeSeparators(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NativeSeparators,
    ::testing::Values(TextCase{"backslashes", "dir\\sub\\name.txt", "dir/sub/name.txt"},
                    TextCase{"drive_kept", "C:\\shots\\capture0001", "C:/shots/capture0001"},
                    TextCase{"mixed", "a/b\\c", "a/b/c"},
                    TextCase{"unchanged", "/abs/Name.TXT", "/abs/Name.TXT"},
                    TextCase{"empty", "", ""}),
    textCaseName);

class BaseName : public ::testing::TestWithParam<TextCase>
{
};

TEST_P(BaseName, Extracts)
{
    EXPECT_EQ(baseName(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, BaseName,
                         ::testing::Values(TextCase{"slashes", "a/b/c.txt", "c.txt"},
                                         TextCase{"backslashes", "a\\b\\c.txt", "c.txt"},
                                         TextCase{"drive_only", "C:name", "name"},
                                         TextCase{"drive_and_folder", "C:\\x\\y.avi", "y.avi"},
                                         TextCase{"plain", "plain", "plain"},
                                         TextCase{"folder_only", "dir/", ""},
                                         TextCase{"empty", "", ""}),
                         textCaseName);

// ---------------------------------------------------------------------------------------------
// Resolving against the disk
// ---------------------------------------------------------------------------------------------

struct ResolveCase
{
    const char* name;
    const char* input;    // relative to the tree's root
    const char* expected; // relative to the tree's root
};

// Test names and failure messages show the row's name, not its bytes.
void PrintTo(const ResolveCase& row, std::ostream* out)
{
    *out << row.name;
}

class ResolvePath : public PathTree, public ::testing::WithParamInterface<ResolveCase>
{
};

TEST_P(ResolvePath, FromAnAbsoluteName)
{
    const ResolveCase& row = GetParam();
    EXPECT_EQ(resolvePath(root.path() + "/" + row.input), root.path() + "/" + row.expected);
    EXPECT_EQ(resolvePath(root.path() + "\\" + row.input), root.path() + "/" + row.expected);
}

TEST_P(ResolvePath, FromARelativeName)
{
    const ResolveCase& row = GetParam();
    cCurrentFolder current(root.path());
    EXPECT_EQ(resolvePath(row.input), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResolvePath,
    ::testing::Values(
        ResolveCase{"exact", "Data/Textures/Wall.PNG", "Data/Textures/Wall.PNG"},
        ResolveCase{"all_lower", "data/textures/wall.png", "Data/Textures/Wall.PNG"},
        ResolveCase{"backslashes", "DATA\\TEXTURES\\wall.Png", "Data/Textures/Wall.PNG"},
        ResolveCase{"only_file_differs", "Data/Textures/WALL.png", "Data/Textures/Wall.PNG"},
        ResolveCase{"folder", "data/textures", "Data/Textures"},
        ResolveCase{"trailing_slash", "data/textures/", "Data/Textures/"},
        ResolveCase{"dot_dot", "data/Textures/../../DATA.TXT", "Data/Textures/../../data.txt"},
        ResolveCase{"dot", "./data/./TEXTURES", "./Data/./Textures"},
        ResolveCase{"double_slash", "data//textures", "Data/Textures"},
        ResolveCase{"two_matches_take_the_smallest", "dup", "DUP"},
        ResolveCase{"missing_folder", "data/missing/wall.png", "data/missing/wall.png"},
        ResolveCase{"missing_file", "Data\\Textures\\Floor.png", "Data/Textures/Floor.png"}),
    [](const ::testing::TestParamInfo<ResolveCase>& info) { return info.param.name; });

TEST_F(PathTree, EmptyNameResolvesToNothing)
{
    EXPECT_EQ(resolvePath(""), "");
    EXPECT_FALSE(pathExists(""));
    EXPECT_EQ(openFile("", "rb"), nullptr);
    EXPECT_EQ(openFile("", "wb"), nullptr);
    EXPECT_FALSE(createFolder(""));
}

TEST_F(PathTree, PathExistsIgnoresCase)
{
    EXPECT_TRUE(pathExists(root / "DATA\\textures\\wall.png"));
    EXPECT_TRUE(pathExists(root / "data"));
    EXPECT_FALSE(pathExists(root / "data\\textures\\floor.png"));
}

// ---------------------------------------------------------------------------------------------
// Opening and creating
// ---------------------------------------------------------------------------------------------

TEST_F(PathTree, ReadsThroughAnyCase)
{
    EXPECT_EQ(read(root / "DATA\\TEXTURES\\WALL.PNG"), "wall");
    EXPECT_EQ(read(root / "Data.Txt"), "lower");
    EXPECT_EQ(openFile(root / "data\\textures\\floor.png", "rb"), nullptr);
}

TEST_F(PathTree, WritingRewritesTheFileThatMatches)
{
    {
        FilePtr file(openFile(root / "Data.TXT", "wb"));
        ASSERT_NE(file, nullptr);
        std::fputs("rewritten", file.get());
    }
    EXPECT_EQ(readText(root / "data.txt"), "rewritten");
    EXPECT_FALSE(std::filesystem::exists(root / "Data.TXT"));
}

TEST_F(PathTree, WritingANewFileMatchesFoldersAndKeepsItsName)
{
    {
        FilePtr file(openFile(root / "DATA\\textures\\New.Bin", "wb"));
        ASSERT_NE(file, nullptr);
        std::fputs("new", file.get());
    }
    EXPECT_EQ(readText(root / "Data/Textures/New.Bin"), "new");
    EXPECT_FALSE(std::filesystem::exists(root / "DATA"));

    {
        cCurrentFolder current(root.path());
        FilePtr file(openFile("Fresh.txt", "w"));
        ASSERT_NE(file, nullptr);
    }
    EXPECT_TRUE(std::filesystem::exists(root / "Fresh.txt"));
}

TEST_F(PathTree, WritingIntoAMissingFolderFails)
{
    EXPECT_EQ(openFile(root / "nowhere\\file.txt", "wb"), nullptr);
    EXPECT_FALSE(std::filesystem::exists(root / "nowhere"));
}

TEST_F(PathTree, CreatesFoldersInsideMatchedFolders)
{
    EXPECT_TRUE(createFolder(root / "data\\TEXTURES\\Sub"));
    EXPECT_TRUE(std::filesystem::is_directory(root / "Data/Textures/Sub"));

    // Existing folders, in any case and with a trailing separator, are fine and not duplicated.
    EXPECT_TRUE(createFolder(root / "DATA"));
    EXPECT_TRUE(createFolder(root / "Data/Textures/Sub/"));
    EXPECT_FALSE(std::filesystem::exists(root / "DATA"));

    EXPECT_FALSE(createFolder(root / "data.txt"));
    EXPECT_FALSE(createFolder(root / "missing/child"));
}

} // namespace
} // namespace qelt::platform

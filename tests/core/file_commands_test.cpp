// The file manager's shell commands: "cd", "pwd" and "path add/remove/list".
#include "core/file_commands.h"

#include "core/file_manager.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>

namespace qelt
{
namespace
{

using testing::cCurrentFolder;
using testing::cLogCapture;
using testing::cTempFolder;

using Texts = std::vector<std::string>;

// The canonical form of the current folder, as the commands see it.
std::string currentFolder()
{
    return std::filesystem::current_path().string();
}

struct ArgumentCase
{
    const char* name;
    cCommandArguments arguments;
};

void PrintTo(const ArgumentCase& row, std::ostream* out)
{
    *out << row.name;
}

class DirectoryArgument : public ::testing::TestWithParam<ArgumentCase>
{
};

// Each directory command wants exactly one string and changes nothing otherwise.
TEST_P(DirectoryArgument, IsRequiredByEveryDirectoryCommand)
{
    cTempFolder folder;
    cCurrentFolder current(folder.path());
    const std::string before = currentFolder();
    cFileManager files;
    files.addPath("kept");
    cLogCapture capture;

    commandCd(GetParam().arguments);
    commandPathAdd(files, GetParam().arguments);
    commandPathRemove(files, GetParam().arguments);

    EXPECT_EQ(capture.texts(), Texts(3, "Expected directory name"));
    EXPECT_EQ(currentFolder(), before);
    ASSERT_EQ(files.pathCount(), 1);
    EXPECT_EQ(files.path(0), "kept\\");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DirectoryArgument,
    ::testing::Values(ArgumentCase{"none", {}}, ArgumentCase{"unquoted_word", {std::nullopt}},
                      ArgumentCase{"two_strings", {std::string("kept"), std::string("b")}},
                      ArgumentCase{"string_then_word", {std::string("kept"), std::nullopt}}),
    [](const ::testing::TestParamInfo<ArgumentCase>& info) { return info.param.name; });

TEST(CommandCd, ChangesTheCurrentFolderAsNamesAreMatched)
{
    cTempFolder folder;
    std::filesystem::create_directories(folder / "Scenes/Demo");
    cCurrentFolder current(folder.path());
    const std::string top = currentFolder();
    cLogCapture capture;

    commandCd({std::string("scenes\\DEMO")});
    EXPECT_EQ(currentFolder(), top + "/Scenes/Demo");
    commandCd({std::string("..")});
    EXPECT_EQ(currentFolder(), top + "/Scenes");
    EXPECT_TRUE(capture.texts().empty());

    commandCd({std::string("missing")});
    commandCd({std::string("")});
    EXPECT_EQ(currentFolder(), top + "/Scenes");
    EXPECT_EQ(capture.texts(), (Texts{"Could not change directory to 'missing'",
                                      "Could not change directory to ''"}));
}

TEST(CommandPwd, ShowsTheCurrentFolder)
{
    cTempFolder folder;
    cCurrentFolder current(folder.path());
    cLogCapture capture;
    commandPwd();
    EXPECT_EQ(capture.texts(), Texts{"Current directory is '" + currentFolder() + "'\n"});
}

TEST(CommandPath, AddsRemovesAndListsEntries)
{
    cFileManager files;
    cLogCapture capture;
    commandPathAdd(files, {std::string("data")});
    commandPathAdd(files, {std::string("data\\")});
    commandPathAdd(files, {std::string("(tga)textures/")});
    commandPathList(files);
    commandPathRemove(files, {std::string("data")});
    commandPathList(files);
    EXPECT_EQ(capture.texts(), (Texts{"  Path  0: \"data\\\"\n", "  Path  1: \"(tga)textures/\"\n",
                                      "  Path  0: \"(tga)textures/\"\n"}));
}

TEST(CommandPath, ListsNothingForAnEmptyPath)
{
    cFileManager files;
    cLogCapture capture;
    commandPathList(files);
    EXPECT_TRUE(capture.texts().empty());
}

TEST(CommandInfo, CarriesTheRegisteredNamesAndHelpTexts)
{
    EXPECT_STREQ(kCdCommand.help, "Set working directory");
    EXPECT_STREQ(kPwdCommand.help, "Show working directory");
    EXPECT_STREQ(kPathGroup.help, "File Search path commands");
    EXPECT_STREQ(kPathAddCommand.help, "Add directory to path");
    EXPECT_STREQ(kPathRemoveCommand.help, "Remove directory fro path");
    EXPECT_STREQ(kPathListCommand.help, "Show current search path");
    EXPECT_STREQ(kPathListCommand.group, "path");
}

} // namespace
} // namespace qelt

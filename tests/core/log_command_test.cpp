// The "log" command: sending every log text to a file, switching files and stopping.
#include "core/log_command.h"

#include "core/file_manager.h"
#include "core/log_handlers.h"
#include "core/log_manager.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace qelt
{
namespace
{

using testing::cCurrentFolder;
using testing::cLogCapture;
using testing::cTempFolder;
using testing::readText;

using Texts = std::vector<std::string>;

class LogCommand : public ::testing::Test
{
  protected:
    void say(const char* text)
    {
        logs_.log(cLogManager::kSourceEngine, cLogManager::kLevelMessage, "%s", text);
    }

    cTempFolder folder_;
    cCurrentFolder current_{folder_.path()};
    cLogManager logs_;
    cFileManager files_;
    cLogCapture capture_{&logs_};
};

TEST_F(LogCommand, SendsEverythingToTheFileUntilStopped)
{
    cLogToFile command(logs_, files_);
    command.run({std::string("session.log")});
    ASSERT_NE(command.handler(), nullptr);
    say("one");
    logs_.log(cLogManager::kSourceRenderer, cLogManager::kLevelDebug, "two\n");
    EXPECT_EQ(readText(folder_ / "session.log"), "one\r\ntwo\n");

    command.run({});
    EXPECT_EQ(command.handler(), nullptr);
    say("three");
    EXPECT_EQ(readText(folder_ / "session.log"), "one\r\ntwo\n");
    EXPECT_EQ(capture_.texts(), (Texts{"one", "two\n", "three"}));
}

TEST_F(LogCommand, ASecondFileClosesTheFirst)
{
    cLogToFile command(logs_, files_);
    command.run({std::string("first.log")});
    say("to first");
    command.run({std::string("second.log")});
    say("to second");
    EXPECT_EQ(readText(folder_ / "first.log"), "to first\r\n");
    EXPECT_EQ(readText(folder_ / "second.log"), "to second\r\n");

    // The same name again starts that file afresh.
    command.run({std::string("second.log")});
    say("again");
    EXPECT_EQ(readText(folder_ / "second.log"), "again\r\n");
}

TEST_F(LogCommand, ReportsABadNameAfterStoppingTheEarlierFile)
{
    cLogToFile command(logs_, files_);
    command.run({std::string("first.log")});
    command.run({std::nullopt});
    EXPECT_EQ(command.handler(), nullptr);
    command.run({std::string("no/such/folder/x.log")});
    EXPECT_EQ(command.handler(), nullptr);
    say("after");
    EXPECT_EQ(readText(folder_ / "first.log"), "");
    EXPECT_EQ(capture_.texts(), (Texts{"Expected filename",
                                       "Could not create file 'no/such/folder/x.log'", "after"}));
}

TEST_F(LogCommand, StopsWhenItGoes)
{
    {
        cLogToFile command(logs_, files_);
        command.run({std::string("short.log")});
    }
    say("not written");
    EXPECT_EQ(readText(folder_ / "short.log"), "");
    EXPECT_EQ(capture_.texts(), Texts{"not written"});
}

TEST(LogCommandShared, WorksOnTheProcesssManagers)
{
    cTempFolder folder;
    cCurrentFolder current(folder.path());
    EXPECT_STREQ(kLogCommand.name, "log");
    EXPECT_STREQ(kLogCommand.help, "Log console to file");
    commandLog({std::string("shared.log")});
    messagef("through the shared manager");
    commandLog({});
    messagef("after the stop");
    EXPECT_EQ(readText(folder / "shared.log"), "through the shared manager\r\n");
}

} // namespace
} // namespace qelt

// Tests of the built-in shell commands of the process's shell: main paths and usage messages.
#include "shell/shell.h"

#include "core/event_dispatcher.h"
#include "core/file_manager.h"
#include "core/frame_clock.h"
#include "shell/expression_function.h"
#include "shell/expression_holder.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace qelt
{
namespace
{

class ShellCommands : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_NE(shell_, nullptr);
        shell_->popAllGroups();
    }
    // Runs a text and answers what it reported.
    std::vector<std::string> run(const std::string& text)
    {
        testing::cLogCapture capture;
        shell_->executeText(text.c_str());
        return capture.texts();
    }
    // Calls a built-in with argument expressions the parser cannot make (identifiers, names).
    std::vector<std::string> callWith(const char* command, std::vector<cRef<cExpression>> arguments)
    {
        testing::cLogCapture capture;
        cRef<cExpression> callee = shell_->findName(command);
        EXPECT_TRUE(callee) << command;
        cRef<cExpression> call = new cExpressionFunction(callee.get(), std::move(arguments));
        EXPECT_TRUE(call->execute());
        return capture.texts();
    }

    cShell* shell_ = shell();
};

using Texts = std::vector<std::string>;

struct UsageCase
{
    const char* name;
    const char* text;
    Texts reported;
};

class ShellCommandUsage : public ShellCommands, public ::testing::WithParamInterface<UsageCase>
{
};

TEST_P(ShellCommandUsage, ReportsTheUsage)
{
    EXPECT_EQ(run(GetParam().text), GetParam().reported);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ShellCommandUsage,
    ::testing::Values(
        UsageCase{"set_one_argument", "set 1", {"Expected  <variable>,<value>"}},
        UsageCase{"add_three_arguments", "add 1, 2, 3", {"Expected  <variable>,<value>"}},
        UsageCase{"sub_no_argument", "sub", {"Expected  <variable>,<value>"}},
        UsageCase{"get_number", "get 5", {"Expected  <variable>"}},
        UsageCase{"get_nothing", "get", {"Expected  <variable>"}},
        UsageCase{"alias_from_text_does_nothing", "alias x, \"print 1\"", {}},
        UsageCase{"call_number", "call 5", {"Expected filename"}},
        UsageCase{"call_missing_file", "call \"no-such-file.txt\"", {"Could not open file"}},
        UsageCase{"calltry_missing_file", "calltry \"no-such-file.txt\"", {}},
        UsageCase{"callmacro_typed_name", "callmacro print", {"Expected  <macroName>"}},
        UsageCase{"time_number", "time 5", {"expected <command>"}},
        UsageCase{
            "time_bad_text", "time \"f(\"", {"Parser: parse error\n", "Could not parse command"}},
        UsageCase{"delay_one_argument", "delay 1", {"expected <delaySeconds>, <command>"}},
        UsageCase{"delay_without_seconds",
                  "delay \"x\", \"print 1\"",
                  {"expected <delaySeconds>, <command>"}}),
    [](const auto& info) { return info.param.name; });

TEST_F(ShellCommands, Print)
{
    EXPECT_EQ(run("print 1+2, \"a\", [1$-2$3]"), Texts{"3 a [1,-2,3] \n"});
    EXPECT_EQ(run("print"), Texts{"\n"});
    EXPECT_EQ(run("print 1.5, [[1$0][0$1]], unknownword"),
              Texts{"1.5 [[1,0][0,1]] unknownword \n"});
}

TEST_F(ShellCommands, HelpListsTheCurrentGroup)
{
    const Texts texts = run("help");
    ASSERT_GE(texts.size(), 4u);
    EXPECT_EQ(texts[0], "    quit\n");
    EXPECT_EQ(texts[1], "    up\n");
    cShellGroup group(nullptr, "helpgroup", "");
    cShellFunction entry(nullptr, "helpgroup", "only", "");
    EXPECT_EQ(run("helpgroup; help"), Texts{"    only\n"});
    EXPECT_EQ(shell_->currentGroup(), &group);
    EXPECT_EQ(run("up"), Texts{});
    EXPECT_EQ(shell_->currentGroup(), &shell_->rootGroup());
    EXPECT_EQ(run("up"), Texts{});
    EXPECT_EQ(shell_->currentGroup(), &shell_->rootGroup());
    run("helpgroup");
    run("root");
    EXPECT_EQ(shell_->currentGroup(), &shell_->rootGroup());
}

TEST_F(ShellCommands, SetAddSubGet)
{
    int32_t counter = 1;
    cShellVariableGeneral<int32_t> variable(&counter, nullptr, "cmdcounter", "");
    EXPECT_EQ(run("add cmdcounter, 4"), Texts{});
    EXPECT_EQ(counter, 5);
    EXPECT_EQ(run("sub cmdcounter, 2 * 3"), Texts{});
    EXPECT_EQ(counter, -1);
    EXPECT_EQ(run("set cmdcounter, 9"), Texts{});
    EXPECT_EQ(counter, -1);
    // A shell name value (as streams make) is what "get" accepts.
    EXPECT_EQ(callWith("get", {new cExpressionHolder<cShellName*, eValueShellName>(&variable)}),
              Texts{});
    // Typed, the variable is read as its value, which is no shell name.
    EXPECT_EQ(run("get cmdcounter"), Texts{"Expected  <variable>"});
}

TEST_F(ShellCommands, AliasAndCallMacro)
{
    std::vector<std::string> seen;
    cShellFunction note([&](cShellCall& c) { seen.push_back(c.argument(0).toString()); }, nullptr,
                        "aliasnote", "");
    EXPECT_EQ(callWith("alias", {new cExpressionHolder<std::string, eValueIdentifier>("twonotes"),
                                 new cExpressionHolder<std::string, eValueString>(
                                     "aliasnote 1; aliasnote 2")}),
              Texts{});
    EXPECT_EQ(run("twonotes"), Texts{});
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "2"}));

    cRef<cExpression> alias = shell_->findName("twonotes");
    auto* macro = dynamic_cast<cShellMacro*>(alias.get());
    ASSERT_NE(macro, nullptr);
    EXPECT_EQ(macro->help(), "Alias");
    EXPECT_EQ(callWith("callmacro", {new cExpressionHolder<cShellName*, eValueShellName>(macro)}),
              Texts{});
    EXPECT_EQ(seen.size(), 4u);
    EXPECT_EQ(callWith("callmacro", {new cExpressionHolder<cShellName*, eValueShellName>(&note)}),
              Texts{"There is no macro 'aliasnote'"});

    // Wrong kinds: nothing happens and nothing is said.
    EXPECT_EQ(callWith("alias", {new cExpressionHolder<std::string, eValueString>("other"),
                                 new cExpressionHolder<std::string, eValueString>("aliasnote 3")}),
              Texts{});
    EXPECT_FALSE(shell_->findName("other"));
}

TEST_F(ShellCommands, CallRunsEachLineOfAFile)
{
    testing::cTempFolder folder;
    const std::string path = folder / "script.txt";
    {
        std::ofstream out(path);
        out << "callnote 1\ncallnote(2, 3)\r\ncallnote 4";
    }
    std::vector<std::string> seen;
    cShellFunction note([&](cShellCall& c) { seen.push_back(c.argument(0).toString()); }, nullptr,
                        "callnote", "");
    EXPECT_EQ(run("call \"" + path + "\""),
              (Texts{"Parser: parse error\n", "Shell: No command\n"}));
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "4"}));
    EXPECT_EQ(run("calltry \"" + path + "\"").size(), 2u);
    EXPECT_EQ(seen.size(), 4u);
}

TEST_F(ShellCommands, TimeRunsTheCommandOnce)
{
    int runs = 0;
    cShellFunction count([&](cShellCall&) { ++runs; }, nullptr, "timecount", "");
    EXPECT_EQ(run("time \"timecount\""), Texts{});
    EXPECT_EQ(runs, 1);
}

TEST_F(ShellCommands, DelayRunsTheTextLater)
{
    std::vector<std::string> seen;
    cShellFunction note([&](cShellCall& c) { seen.push_back(c.argument(0).toString()); }, nullptr,
                        "delaynote", "");
    shell_->attachEvents();
    frameClock().tick(50000);
    EXPECT_EQ(run("delay 2.5, \"delaynote 1\""), Texts{});
    frameClock().tick(52499);
    eventDispatcher().process(frameClock().now());
    EXPECT_TRUE(seen.empty());
    frameClock().tick(52500);
    eventDispatcher().process(frameClock().now());
    EXPECT_EQ(seen, std::vector<std::string>{"1"});
}

TEST_F(ShellCommands, QuitGoesThroughTheHandler)
{
    int quits = 0;
    setQuitHandler([&] { ++quits; });
    run("quit");
    setQuitHandler(nullptr);
    EXPECT_EQ(quits, 1);
}

TEST_F(ShellCommands, FileAndLogCommandsAreRegistered)
{
    for (const char* path : {"log", "cd", "pwd", "path.add", "path.remove", "path.list"})
        EXPECT_NE(shell_->findShellName(path), nullptr) << path;
    cFileManager* files = fileManager();
    ASSERT_NE(files, nullptr);
    testing::cTempFolder folder;
    const int before = files->pathCount();
    EXPECT_EQ(run("path.add \"" + folder.path() + "\""), Texts{});
    EXPECT_EQ(files->pathCount(), before + 1);
    EXPECT_EQ(run("path.remove \"" + folder.path() + "\""), Texts{});
    EXPECT_EQ(files->pathCount(), before);
    EXPECT_EQ(run("path.add 5"), Texts{"Expected directory name"});
    const Texts pwd = run("pwd");
    ASSERT_EQ(pwd.size(), 1u);
    EXPECT_NE(pwd[0].find("Current directory is"), std::string::npos);
}

} // namespace
} // namespace qelt

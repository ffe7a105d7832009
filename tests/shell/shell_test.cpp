// Tests of the shell: placing names, lookups through groups and the search list, running texts,
// variables, macros and posted texts.
#include "shell/shell.h"

#include "core/event_dispatcher.h"
#include "core/frame_clock.h"
#include "core/stream.h"
#include "shell/expression_holder.h"
#include "shell/lexer.h"
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qelt
{
namespace
{

std::string pathOf(const cRef<cExpression>& entry)
{
    auto* name = dynamic_cast<cShellName*>(entry.get());
    return name != nullptr ? name->fullPath() : "none";
}

// Commands that record their calls, in a shell of their own.
class ShellTest : public ::testing::Test
{
  protected:
    cShellHandler recorder(const std::string& label)
    {
        return [this, label](cShellCall& call)
        {
            std::string text = label;
            for (int i = 0; i < call.argumentCount(); ++i)
                text += " " + call.argument(i).toString();
            calls_.push_back(text);
        };
    }

    cShell shell_;
    std::vector<std::string> calls_;
};

TEST_F(ShellTest, PlacesAnEntryRegisteredBeforeItsGroup)
{
    cShellFunction play(recorder("play"), "scene.action", "play", "", &shell_);
    cShellGroup action("scene", "action", "", &shell_);
    cShellGroup scene(nullptr, "scene", "", &shell_);
    EXPECT_EQ(pathOf(shell_.findPath("scene.action.play", nullptr)), "scene.action.play");
    EXPECT_TRUE(shell_.executeText("scene.action.play 1"));
    EXPECT_EQ(calls_, std::vector<std::string>{"play 1"});
}

TEST_F(ShellTest, ReportsAnEntryWithoutGroup)
{
    testing::cLogCapture capture;
    cShellFunction lost(recorder("lost"), "nowhere", "lost", "", &shell_);
    EXPECT_FALSE(shell_.findPath("nowhere.lost", nullptr));
    EXPECT_EQ(capture.texts(), std::vector<std::string>{
                                   "cShell: Could not find group 'nowhere' for command 'lost'\n"});
}

TEST_F(ShellTest, RootPathSpellings)
{
    cShellFunction a(recorder("a"), nullptr, "a", "", &shell_);
    cShellFunction b(recorder("b"), "", "b", "", &shell_);
    cShellFunction c(recorder("c"), "0", "c", "", &shell_);
    for (const char* word : {"a", "b", "c"})
        EXPECT_EQ(pathOf(shell_.findName(word)), word);
    EXPECT_EQ(shell_.findName("").get(), &shell_.rootGroup());
    EXPECT_EQ(shell_.rootGroup().getName(), "Commands");
}

TEST_F(ShellTest, LooksInTheCurrentGroupThenTheSearchListFromTheLast)
{
    cShellGroup g1(nullptr, "g1", "", &shell_);
    cShellGroup g2(nullptr, "g2", "", &shell_);
    cShellFunction inRoot(recorder("root"), nullptr, "x", "", &shell_);
    cShellFunction inG1(recorder("g1"), "g1", "x", "", &shell_);
    cShellFunction inG2(recorder("g2"), "g2", "x", "", &shell_);
    cShellFunction onlyG1(recorder("y"), "g1", "y", "", &shell_);
    EXPECT_EQ(pathOf(shell_.findName("x")), "x");
    EXPECT_FALSE(shell_.findName("y"));

    shell_.addSearchGroup(shell_.findGroup("g1"));
    shell_.addSearchGroup(shell_.findGroup("g2"));
    // The root group is current, so its own x is found first.
    EXPECT_EQ(pathOf(shell_.findName("x")), "x");
    EXPECT_EQ(pathOf(shell_.findName("y")), "g1.y");

    shell_.pushGroup(shell_.findGroup("g1"));
    EXPECT_EQ(pathOf(shell_.findName("x")), "g1.x");
    shell_.popGroup();
    shell_.removeSearchGroup(shell_.findGroup("g2"));
    shell_.rootGroup().remove(&inRoot);
    EXPECT_EQ(pathOf(shell_.findName("x")), "g1.x");
}

TEST_F(ShellTest, GroupStack)
{
    cShellGroup g(nullptr, "g", "", &shell_);
    cShellGroup inner("g", "inner", "", &shell_);
    EXPECT_EQ(shell_.currentGroup(), &shell_.rootGroup());
    EXPECT_TRUE(shell_.executeText("g"));
    EXPECT_EQ(shell_.currentGroup(), &g);
    EXPECT_TRUE(shell_.executeText("inner"));
    EXPECT_EQ(shell_.currentGroup(), &inner);
    shell_.popGroup();
    EXPECT_EQ(shell_.currentGroup(), &g);
    shell_.pushGroup(&inner);
    shell_.popAllGroups();
    EXPECT_EQ(shell_.currentGroup(), &shell_.rootGroup());
    shell_.popGroup();
    EXPECT_EQ(shell_.currentGroup(), &shell_.rootGroup());
}

TEST_F(ShellTest, FindsGroupsAndPaths)
{
    cShellGroup scene(nullptr, "scene", "", &shell_);
    cShellGroup action("scene", "action", "", &shell_);
    cShellFunction play(recorder("play"), "scene.action", "play", "", &shell_);
    EXPECT_EQ(shell_.findGroup("scene.action"), &action);
    EXPECT_EQ(shell_.findGroup(""), &shell_.rootGroup());
    EXPECT_EQ(shell_.findGroup("scene.action.play"), nullptr);
    EXPECT_EQ(shell_.findGroup("scene.missing"), nullptr);
    // The path ends at white space; a non-group stops it.
    EXPECT_EQ(pathOf(shell_.findPath("scene.action play", nullptr)), "scene.action");
    EXPECT_EQ(pathOf(shell_.findPath("play", &action)), "scene.action.play");
    EXPECT_EQ(pathOf(shell_.findPath("scene.action.play.more", nullptr)), "scene.action.play");
    EXPECT_EQ(shell_.findShellName("scene.action.play"), &play);
    EXPECT_EQ(shell_.findShellName("scene.nothing"), nullptr);
    EXPECT_EQ(cShell::namePath(play), "scene.action.play");
}

TEST_F(ShellTest, UnregistersOnDestruction)
{
    {
        cShellFunction brief(recorder("brief"), nullptr, "brief", "", &shell_);
        EXPECT_TRUE(shell_.findName("brief"));
    }
    EXPECT_FALSE(shell_.findName("brief"));
    {
        // Never placed: leaves the queue.
        cShellFunction unplaced(recorder("unplaced"), nullptr, "unplaced", "", &shell_);
    }
    EXPECT_FALSE(shell_.findName("unplaced"));
    EXPECT_EQ(shell_.rootGroup().size(), 0);
}

TEST_F(ShellTest, KeepsEntriesInRegistrationOrder)
{
    cShellFunction z(recorder("z"), nullptr, "z", "", &shell_);
    cShellGroup g(nullptr, "g", "", &shell_);
    cShellFunction a(recorder("a"), nullptr, "a", "", &shell_);
    ASSERT_TRUE(shell_.findName("a"));
    ASSERT_EQ(shell_.rootGroup().size(), 3);
    EXPECT_EQ(*shell_.rootGroup().nameAt(0), "z");
    EXPECT_EQ(*shell_.rootGroup().nameAt(1), "g");
    EXPECT_EQ(*shell_.rootGroup().nameAt(2), "a");
}

struct RunCase
{
    const char* name;
    const char* text;
    bool ran;
    std::vector<std::string> calls;
    std::vector<std::string> messages;
};

class ShellRuns : public ShellTest, public ::testing::WithParamInterface<RunCase>
{
};

TEST_P(ShellRuns, RunsAndReports)
{
    cShellFunction f(recorder("f"), nullptr, "f", "", &shell_);
    cShellFunction g(recorder("g"), nullptr, "g", "", &shell_);
    testing::cLogCapture capture;
    EXPECT_EQ(shell_.executeText(GetParam().text), GetParam().ran);
    EXPECT_EQ(calls_, GetParam().calls);
    EXPECT_EQ(capture.texts(), GetParam().messages);
    EXPECT_EQ(shell_.failureCount(), GetParam().ran ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ShellRuns,
    ::testing::Values(
        RunCase{"call_with_arguments", "f 1, 2.5, \"t\"", true, {"f 1 2.5 \"t\""}, {}},
        RunCase{"computed_argument", "f 1 + 2 * 3", true, {"f 7"}, {}},
        RunCase{"block_in_order", "g; f 1; g", true, {"g", "f 1", "g"}, {}},
        RunCase{"empty_text", "", true, {}, {}},
        RunCase{"parse_failure",
                "f(1, 2)",
                false,
                {},
                {"Parser: parse error\n", "Shell: No command\n"}},
        RunCase{"literal_is_no_command", "5", false, {}, {"Shell: Bad command \"5\"\n"}},
        RunCase{"block_stops_at_failure",
                "f 1; 5; g",
                false,
                {"f 1"},
                {"Shell: Bad command \"f 1; 5; g\"\n"}},
        RunCase{"unknown_word", "nothing", false, {}, {"Shell: Bad command \"nothing\"\n"}}),
    [](const auto& info) { return info.param.name; });

TEST_F(ShellTest, ExecutesStreams)
{
    cShellFunction f(recorder("f"), nullptr, "f", "", &shell_);
    testing::cLogCapture capture;
    cLexerStreamString good("f 1\nf 2;f 3");
    EXPECT_FALSE(shell_.executeStream(good));
    cLexerStreamString fine("f 1\n;f 2");
    EXPECT_TRUE(shell_.executeStream(fine));
    cLexerStreamString bad("5");
    EXPECT_FALSE(shell_.executeStream(bad));
    EXPECT_EQ(calls_, (std::vector<std::string>{"f 1", "f 2"}));
    EXPECT_EQ(capture.texts(),
              (std::vector<std::string>{"Parser: parse error\n", "Shell: No command\n",
                                        "Shell: Bad command\n"}));
}

TEST_F(ShellTest, VariablesChangeThroughAddAndSubOnly)
{
    cShellFunction set([](cShellCall& c) { c.argument(0).setExpression(&c.argument(1)); }, nullptr,
                       "set", "", &shell_);
    cShellFunction add([](cShellCall& c) { c.argument(0).add(c.argument(1)); }, nullptr, "add", "",
                       &shell_);
    cShellFunction sub([](cShellCall& c) { c.argument(0).subtract(c.argument(1)); }, nullptr, "sub",
                       "", &shell_);
    cShellGroup console(nullptr, "console", "", &shell_);
    int32_t lines = 20;
    cVector2f size{1, 1};
    cShellVariableGeneral<int32_t> linesVariable(&lines, "console", "lines", "", &shell_);
    cShellVariableGeneral<cVector2f> sizeVariable(&size, nullptr, "size", "", &shell_);
    const int32_t fixed = 3;
    int32_t fixedCopy = fixed;
    cShellVariableReadOnly<int32_t> fixedVariable(&fixedCopy, nullptr, "fixed", "", &shell_);

    testing::cLogCapture capture;
    EXPECT_TRUE(shell_.executeText("console.lines += 10"));
    EXPECT_EQ(lines, 30);
    EXPECT_TRUE(shell_.executeText("console.lines = 40"));
    EXPECT_EQ(lines, 30);
    EXPECT_TRUE(shell_.executeText("(console.lines) -= 5 * 2"));
    EXPECT_EQ(lines, 20);
    EXPECT_TRUE(shell_.executeText("size += [1$-2]"));
    EXPECT_EQ(size, (cVector2f{2, -1}));
    EXPECT_TRUE(shell_.executeText("fixed += 1"));
    EXPECT_EQ(fixedCopy, fixed);
    EXPECT_TRUE(capture.texts().empty());
    // A variable is no command.
    EXPECT_FALSE(shell_.executeText("console.lines"));
}

TEST_F(ShellTest, MacroRunsItsTextUnderItsName)
{
    cShellFunction f(recorder("f"), nullptr, "f", "", &shell_);
    cShellMacro twice("f 1; f 2", nullptr, "twice", "", &shell_);
    cShellMacro broken("f(", nullptr, "broken", "", &shell_);
    testing::cLogCapture capture;
    EXPECT_TRUE(shell_.executeText("twice"));
    EXPECT_EQ(calls_, (std::vector<std::string>{"f 1", "f 2"}));
    // The macro's call counts as done even when its text fails.
    EXPECT_TRUE(shell_.executeText("broken"));
    EXPECT_EQ(capture.texts(),
              (std::vector<std::string>{"Parser: broken(1) parse error\n", "Shell: No command\n"}));
}

TEST_F(ShellTest, CompletesNothing)
{
    std::string text = "pri";
    EXPECT_FALSE(shell_.complete(text));
    EXPECT_EQ(text, "pri");
}

TEST(ShellProcess, IsSharedAndPrintsNamePaths)
{
    cShell* s = shell();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s, shell());
    cShellGroup group(nullptr, "linkgroup", "");
    cShellFunction entry(nullptr, "linkgroup", "entry", "");
    // The value interface finds groups by text and prints shell names through the shell.
    cExpressionHolder<std::string, eValueString> text("linkgroup");
    cNamespace* found = nullptr;
    ASSERT_TRUE(text.getNamespace(found));
    EXPECT_EQ(found, &group);
    cExpressionHolder<cShellName*, eValueShellName> name(&entry);
    EXPECT_EQ(name.toString(), "linkgroup.entry");
    // Streams store shell names as paths through the same shell.
    ASSERT_TRUE(streamShellLink().findName);
    EXPECT_EQ(streamShellLink().findName("linkgroup.entry"), &entry);
    EXPECT_EQ(streamShellLink().findName("linkgroup.nothing"), nullptr);
    EXPECT_EQ(streamShellLink().namePath(entry), "linkgroup.entry");
}

// Texts posted in one frame: only the first runs; in successive frames, each runs.
TEST(ShellProcess, PostedTextsRunOnePerFrame)
{
    cShell* s = shell();
    ASSERT_NE(s, nullptr);
    std::vector<std::string> seen;
    cShellFunction note([&](cShellCall& c) { seen.push_back(c.argument(0).toString()); }, nullptr,
                        "postnote", "");
    frameClock().tick(1000);
    s->postCommand("postnote 1");
    s->postCommand("postnote 2");
    eventDispatcher().process(frameClock().now());
    EXPECT_EQ(seen, std::vector<std::string>{"1"});
    frameClock().tick(1016);
    s->postCommand("postnote 3");
    eventDispatcher().process(frameClock().now());
    frameClock().tick(1032);
    s->postCommand("postnote 4");
    eventDispatcher().process(frameClock().now());
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "3", "4"}));
}

} // namespace
} // namespace qelt

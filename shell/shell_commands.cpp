// The shell's built-in commands: moving between groups, help, print, variables, aliases, scripts,
// timing, delayed commands, quitting, and the commands of the log and file managers.
#include "shell/shell.h"

#include "core/command_arguments.h"
#include "core/event_dispatcher.h"
#include "core/file.h"
#include "core/file_commands.h"
#include "core/file_manager.h"
#include "core/frame_clock.h"
#include "core/log_command.h"
#include "core/log_manager.h"

#include <chrono>
#include <cmath>
#include <memory>

namespace qelt
{
namespace
{

// ---- helpers ------------------------------------------------------------------------------------

bool isText(const cExpression& value)
{
    return value.kind() == eValueString;
}

// The arguments as the core's commands take them: the text of each argument of the wanted kind.
cCommandArguments commandArguments(cShellCall& call, bool stringsOnly)
{
    cCommandArguments arguments;
    for (int i = 0; i < call.argumentCount(); ++i)
    {
        const cExpression& argument = call.argument(i);
        std::string text;
        if ((!stringsOnly || isText(argument)) && argument.getString(text))
            arguments.emplace_back(std::move(text));
        else
            arguments.emplace_back(std::nullopt);
    }
    return arguments;
}

// The aliases made by "alias"; they live until the module is unloaded.
std::vector<std::unique_ptr<cShellMacro>>& aliases()
{
    static auto* list = new std::vector<std::unique_ptr<cShellMacro>>;
    return *list;
}

// ---- the commands -------------------------------------------------------------------------------

void commandHelp(cShell& shell)
{
    cShellGroup* group = shell.currentGroup();
    for (int i = 0; i < group->size(); ++i)
        if (const std::string* name = group->nameAt(i))
            messagef("    %s\n", name->c_str());
}

void commandPrint(cShellCall& call)
{
    std::string line;
    for (int i = 0; i < call.argumentCount(); ++i)
    {
        const cExpression& argument = call.argument(i);
        const char* text = nullptr;
        if ((argument.kind() == eValueString || argument.kind() == eValueIdentifier) &&
            argument.getCString(text) && text != nullptr)
            line += text;
        else
            line += argument.toString();
        line += ' ';
    }
    line += '\n';
    messagef("%s", line.c_str());
}

void commandSet(cShellCall& call)
{
    if (call.argumentCount() != 2)
    {
        call.reportf("Expected  <variable>,<value>");
        return;
    }
    call.argument(0).setExpression(&call.argument(1));
}

void commandAdd(cShellCall& call, bool subtract)
{
    if (call.argumentCount() != 2)
    {
        call.reportf("Expected  <variable>,<value>");
        return;
    }
    if (subtract)
        call.argument(0).subtract(call.argument(1));
    else
        call.argument(0).add(call.argument(1));
}

void commandGet(cShellCall& call)
{
    cShellName* name = nullptr;
    if (call.argumentCount() != 1 || !call.argument(0).getShellName(name))
        call.reportf("Expected  <variable>");
}

void commandAlias(cShell& shell, cShellCall& call)
{
    if (call.argumentCount() != 2)
        return;
    const cExpression& word = call.argument(0);
    const cExpression& text = call.argument(1);
    if (word.kind() != eValueIdentifier ||
        (text.kind() != eValueIdentifier && text.kind() != eValueString))
        return;
    std::string name;
    std::string command;
    if (!word.getString(name) || !text.getString(command))
        return;
    aliases().push_back(
        std::make_unique<cShellMacro>(command, nullptr, name.c_str(), "Alias", &shell));
}

void commandCall(cShell& shell, cShellCall& call, bool quietWhenMissing)
{
    std::string name;
    if (call.argumentCount() != 1 || !isText(call.argument(0)) || !call.argument(0).getString(name))
    {
        call.reportf("Expected filename");
        return;
    }
    if (!runScriptFile(shell, name.c_str()) && !quietWhenMissing)
        call.reportf("Could not open file");
}

void commandCallMacro(cShell& shell, cShellCall& call)
{
    cShellName* name = nullptr;
    if (call.argumentCount() != 1 || !call.argument(0).getShellName(name) || name == nullptr)
    {
        call.reportf("Expected  <macroName>");
        return;
    }
    if (auto* macro = dynamic_cast<cShellMacro*>(name))
    {
        shell.executeText(macro->text().c_str(), macro->fullPath().c_str());
        return;
    }
    call.reportf("There is no macro '%s'", call.argument(0).toString().c_str());
}

void commandTime(cShell& shell, cShellCall& call)
{
    std::string text;
    if (call.argumentCount() != 1 || !isText(call.argument(0)) || !call.argument(0).getString(text))
    {
        call.reportf("expected <command>");
        return;
    }
    cRef<cExpression> tree = shell.parse(text.c_str());
    if (!tree)
    {
        call.reportf("Could not parse command");
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    tree->execute();
    const std::chrono::duration<double, std::micro> elapsed =
        std::chrono::steady_clock::now() - start;
    debugf("Timing %s: %g uSecs per iteration\n", "Timed command", elapsed.count());
}

void commandDelay(cShellCall& call)
{
    float seconds = 0.0f;
    std::string text;
    if (call.argumentCount() != 2 || !call.argument(0).getFloat(seconds) ||
        !call.argument(1).getString(text))
    {
        call.reportf("expected <delaySeconds>, <command>");
        return;
    }
    // Milliseconds, truncated; a negative or absurd delay runs at once or as late as the clock
    // allows rather than wrapping.
    const double ms = std::floor(static_cast<double>(seconds) * 1000.0);
    const uint32_t delay = !(ms > 0.0)          ? 0u
                           : ms >= 4294967295.0 ? 0xFFFFFFFFu
                                                : static_cast<uint32_t>(ms);
    eventDispatcher().postCommand(shellEventType(), text, frameClock().now() + delay);
}

} // namespace

bool runScriptFile(cShell& shell, const char* name)
{
    cFileManager* files = fileManager();
    if (files == nullptr)
        return false;
    std::unique_ptr<cFile> file(files->openFile(name));
    if (!file)
        return false;
    while (!file->eof())
    {
        const std::string line = file->readLine();
        shell.executeText(line.c_str());
    }
    return true;
}

void registerShellCommands(cShell& shell)
{
    // Kept for the life of the process, like static entries.
    static auto* entries = new std::vector<std::unique_ptr<cShellName>>;
    cShell* s = &shell;
    auto add = [&](cShellHandler handler, const char* group, const char* name, const char* help) {
        entries->push_back(
            std::make_unique<cShellFunction>(std::move(handler), group, name, help, s));
    };
    auto addInfo = [&](const cCommandInfo& info, cShellHandler handler)
    { add(std::move(handler), info.group, info.name, info.help); };

    add([](cShellCall&) { requestQuit(); }, nullptr, "quit", "Exit program");
    add([s](cShellCall&) { s->popGroup(); }, nullptr, "up",
        "Move to parent command group  (Shortcut '.')");
    add([s](cShellCall&) { s->popAllGroups(); }, nullptr, "root",
        "Move to root command group  (Shortcut '/')");
    add([s](cShellCall&) { commandHelp(*s); }, nullptr, "help", "Show commands (Shortcut '?')");
    add(commandPrint, nullptr, "print", "Print a text message");
    add(commandSet, nullptr, "set", "Set value of a variable");
    add([](cShellCall& call) { commandAdd(call, false); }, nullptr, "add",
        "Add value to a variable");
    add([](cShellCall& call) { commandAdd(call, true); }, nullptr, "sub",
        "Subtract value from a variable");
    add(commandGet, nullptr, "get", "Get value of a variable");
    add([s](cShellCall& call) { commandAlias(*s, call); }, nullptr, "alias",
        "Define a new alias command");
    add([s](cShellCall& call) { commandCall(*s, call, false); }, nullptr, "call",
        "Read commands from file");
    add([s](cShellCall& call) { commandCall(*s, call, true); }, nullptr, "calltry",
        "Read commands from file if the file exists");
    add([s](cShellCall& call) { commandCallMacro(*s, call); }, nullptr, "callmacro",
        "Read commands from macro");
    add([s](cShellCall& call) { commandTime(*s, call); }, nullptr, "time",
        "Time the execution of a command");
    add(commandDelay, nullptr, "delay", "Execute command at later time");

    addInfo(kLogCommand, [](cShellCall& call) { commandLog(commandArguments(call, false)); });
    addInfo(kCdCommand, [](cShellCall& call) { commandCd(commandArguments(call, true)); });
    addInfo(kPwdCommand, [](cShellCall&) { commandPwd(); });
    entries->push_back(
        std::make_unique<cShellGroup>(kPathGroup.group, kPathGroup.name, kPathGroup.help, s));
    addInfo(kPathAddCommand,
            [](cShellCall& call)
            {
                if (cFileManager* files = fileManager())
                    commandPathAdd(*files, commandArguments(call, true));
            });
    addInfo(kPathRemoveCommand,
            [](cShellCall& call)
            {
                if (cFileManager* files = fileManager())
                    commandPathRemove(*files, commandArguments(call, true));
            });
    addInfo(kPathListCommand,
            [](cShellCall&)
            {
                if (cFileManager* files = fileManager())
                    commandPathList(*files);
            });
}

} // namespace qelt

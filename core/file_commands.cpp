// The shell commands of the file manager: "cd", "pwd" and the "path" group.
#include "core/file_commands.h"

#include "core/file_manager.h"
#include "core/log_manager.h"
#include "platform/path.h"

#include <filesystem>
#include <system_error>

namespace qelt
{

namespace
{

// The one string argument of a directory command; null after reporting the mismatch.
const std::string* directoryArgument(const cCommandArguments& arguments)
{
    if (arguments.size() != 1 || !arguments[0])
    {
        messagef("Expected directory name");
        return nullptr;
    }
    return &*arguments[0];
}

} // namespace

void commandCd(const cCommandArguments& arguments)
{
    const std::string* directory = directoryArgument(arguments);
    if (!directory)
        return;
    std::error_code ec;
    if (directory->empty())
        ec = std::make_error_code(std::errc::no_such_file_or_directory);
    else
        std::filesystem::current_path(platform::resolvePath(*directory), ec);
    if (ec)
        messagef("Could not change directory to '%s'", directory->c_str());
}

void commandPwd()
{
    std::error_code ec;
    std::string current = std::filesystem::current_path(ec).string();
    if (current.size() > 255)
        current.resize(255);
    messagef("Current directory is '%s'\n", current.c_str());
}

void commandPathAdd(cFileManager& files, const cCommandArguments& arguments)
{
    if (const std::string* directory = directoryArgument(arguments))
        files.addPath(*directory);
}

void commandPathRemove(cFileManager& files, const cCommandArguments& arguments)
{
    if (const std::string* directory = directoryArgument(arguments))
        files.removePath(*directory);
}

void commandPathList(cFileManager& files)
{
    const int count = files.pathCount();
    for (int i = 0; i < count; ++i)
        messagef("  Path %2d: \"%s\"\n", i, files.path(i).c_str());
}

} // namespace qelt

// The arguments that the core's shell commands take, as the shell hands them over.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qelt
{

// One entry per argument: its text when the argument is of the kind the command asks for (a
// quoted string for a directory name, anything convertible to text for a file name), nothing
// otherwise. The shell makes this list from its values when it calls the command.
using cCommandArguments = std::vector<std::optional<std::string>>;

// Where a command is registered: its group ("" for the root), its name and its help text.
struct cCommandInfo
{
    const char* group;
    const char* name;
    const char* help;
};

} // namespace qelt

// The shell commands of the file manager: "cd", "pwd" and the "path" group.
#pragma once

#include "core/command_arguments.h"

namespace qelt
{

class cFileManager;

inline constexpr cCommandInfo kCdCommand{"", "cd", "Set working directory"};
inline constexpr cCommandInfo kPwdCommand{"", "pwd", "Show working directory"};
inline constexpr cCommandInfo kPathGroup{"", "path", "File Search path commands"};
inline constexpr cCommandInfo kPathAddCommand{"path", "add", "Add directory to path"};
inline constexpr cCommandInfo kPathRemoveCommand{"path", "remove", "Remove directory fro path"};
inline constexpr cCommandInfo kPathListCommand{"path", "list", "Show current search path"};

// Each command reports through messagef. A directory name must be one string argument; anything
// else is answered with "Expected directory name".

// Changes the process's current directory.
void commandCd(const cCommandArguments& arguments);
// Prints the process's current directory (at most 255 characters of it).
void commandPwd();
void commandPathAdd(cFileManager& files, const cCommandArguments& arguments);
void commandPathRemove(cFileManager& files, const cCommandArguments& arguments);
// Prints every search path entry, numbered from 0.
void commandPathList(cFileManager& files);

} // namespace qelt

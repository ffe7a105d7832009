// File names as scenes and scripts write them: "\\" and "/" both separate folders, and a name
// that does not exist as written is matched without regard to case inside its folder.
#pragma once

#include <cstdio>
#include <string>

namespace qelt::platform
{

// "\\" becomes "/"; nothing else changes (a drive prefix such as "C:" stays as text).
std::string toNativeSeparators(const std::string& name);

// The name as it exists on disk: the name itself when it exists, else the first match found
// folder by folder without regard to case; when nothing matches, the name with native separators.
std::string resolvePath(const std::string& name);

// True when a file or folder of that name exists (after resolvePath).
bool pathExists(const std::string& name);

// fopen through resolvePath; write modes create missing names as written (native separators).
std::FILE* openFile(const std::string& name, const char* mode);

// Creates one folder; an existing folder is fine. Returns false on any other failure.
bool createFolder(const std::string& name);

// The text after the last "/", "\\" or ":".
std::string baseName(const std::string& name);

} // namespace qelt::platform

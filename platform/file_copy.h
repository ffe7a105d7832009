// Copying a whole file onto another, as publishing copies the running program.
#pragma once

#include <string>

namespace qelt::platform
{

enum class FileCopyResult
{
    Copied,
    TargetBusy, // the target is a program that is running, so it cannot be written
    Failed,
};

// Copies from onto to, replacing to. The copy gets from's permission bits plus the owner's write
// bit, so a read-only program still gives a copy that can be written into. A file is never
// copied onto itself. error receives the reason when the copy fails.
FileCopyResult copyFile(const std::string& from, const std::string& to,
                        std::string* error = nullptr);

} // namespace qelt::platform

// Publishing: writing a copy of the program that carries a scene archive.
#pragma once

#include <optional>
#include <string>

namespace qelt
{

// Exit codes of qelt_viewer.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 10;
inline constexpr int kExitCopyFailed = 20;

// Copies the program at programPath to target and embeds the archive in the copy: as its "SCENE"
// resource, or, when the copy's resource block cannot be updated, appended behind a scene
// trailer. Failures are shown in message boxes (caption "Error"); returns the exit code:
// 0 done; 10 no archive given, target busy, archive or target unusable; 20 copy failed.
int publish(const std::string& programPath, const std::string& target,
            const std::optional<std::string>& archive);

} // namespace qelt

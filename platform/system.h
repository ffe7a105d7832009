// Process-level services: the debug channel, environment variables, well-known folders.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qelt::platform
{

// The debug channel on stderr: silent unless QELT_DEBUG_LOG is "true" (in any case) or it was
// switched on.
bool debugOutputEnabled();
void setDebugOutputEnabled(bool enabled);
// Writes the text as it is (no line feed added) when the channel is on.
void debugOutput(const char* text);

std::optional<std::string> getEnvironment(const std::string& name);
// An empty optional removes the variable. Returns false when the name is not acceptable.
bool setEnvironment(const std::string& name, const std::optional<std::string>& value);

// The id of the running process.
uint32_t processId();

// The system temporary folder, ending in "/".
std::string temporaryFolder();

// Bytes free for an unprivileged user on the file system holding path; empty on failure.
std::optional<uint64_t> freeDiskSpace(const std::string& path);

// The absolute path of the running program file.
std::string executablePath();

// The absolute path of the module (program or shared library) that holds address.
std::string modulePath(const void* address);

} // namespace qelt::platform

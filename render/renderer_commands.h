// The shell's "renderer" group and the root command "ver": inspecting and changing the current
// renderer from the console and from scripts.
#pragma once

#include <functional>
#include <string>

namespace qelt
{

class cShell;

// A module's version as its version record gives it.
struct cModuleVersion
{
    bool preRelease = false;
    bool debug = false;
    int major = 0;
    int minor = 0;
    int build = 0;
    int revision = 0;
};

// "PreRelease " when pre-release, "D" or "R", then the four parts: "R1.0.0.3"; empty for none.
std::string versionString(const cModuleVersion* version);

// The engine's own version, compiled into it.
const cModuleVersion& engineVersion();

// A plug-in's version: its export QeltModuleVersion (a cModuleVersion), when it has one.
constexpr const char* kModuleVersionExport = "QeltModuleVersion";

// Brings a window to the front; the viewer installs the window system's. Without one the command
// reports that it cannot.
void setForegroundHandler(std::function<bool(void* window)> handler);

// Adds the group, its variables and commands, and "ver" to the shell. Entries live as long as
// the process.
void registerRendererCommands(cShell& shell);

} // namespace qelt

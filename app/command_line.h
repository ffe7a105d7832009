// The command line of qelt_viewer: what to unpack, which renderer, and whether to view or publish.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qelt
{

struct cStartSettings
{
    bool usePackage = true;                         // "-nodlls" clears it
    std::string driver = "gl";                      // "-gl", "-dx8"
    std::optional<std::string> visibility = "DPVS"; // "-vis NAME"; absent after a last "-vis"
    std::optional<std::string> publishTarget;       // "-embed TARGET"
    std::optional<std::string> scenePath;           // any other argument; the last one counts
};

// Examines the arguments (without the program name) from first to last, each compared whole and
// case-sensitively. An option that takes a value consumes the next argument whatever it is; as
// the last argument it leaves its value absent.
cStartSettings parseCommandLine(const std::vector<std::string>& args);

// The scene path as the program opens it once it has made the unpack folder its current
// directory: a relative name is joined to the folder the program started in. Absolute names
// (either separator), names with a drive prefix, "http:" names and the empty name stay as they
// are.
std::string sceneStartPath(const std::string& path, const std::string& startFolder);

} // namespace qelt

// Parsing the qelt_viewer command line.
#include "app/command_line.h"

namespace qelt
{

cStartSettings parseCommandLine(const std::vector<std::string>& args)
{
    cStartSettings settings;
    // The value after an option, or absent when the option was the last argument.
    auto value = [&args](std::size_t& i) -> std::optional<std::string>
    {
        if (++i < args.size())
            return args[i];
        return std::nullopt;
    };
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        const std::string& arg = args[i];
        if (arg == "-nodlls")
            settings.usePackage = false;
        else if (arg == "-noscene")
            continue;
        else if (arg == "-gl")
            settings.driver = "gl";
        else if (arg == "-dx8")
            settings.driver = "dx8";
        else if (arg == "-vis")
            settings.visibility = value(i);
        else if (arg == "-embed")
            settings.publishTarget = value(i);
        else
            settings.scenePath = arg;
    }
    return settings;
}

std::string sceneStartPath(const std::string& path, const std::string& startFolder)
{
    const bool absolute = !path.empty() && (path[0] == '/' || path[0] == '\\');
    const bool drive = path.size() >= 2 && path[1] == ':';
    const bool internet = path.compare(0, 5, "http:") == 0;
    if (path.empty() || absolute || drive || internet || startFolder.empty())
        return path;
    return startFolder.back() == '/' ? startFolder + path : startFolder + "/" + path;
}

} // namespace qelt

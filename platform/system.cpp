// Process-level services on POSIX: the debug channel, environment variables, well-known folders.
#include "platform/system.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/statvfs.h>
#include <strings.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace qelt::platform
{

// ---------------------------------------------------------------------------------------------
// Debug channel
// ---------------------------------------------------------------------------------------------

namespace
{

// -1: not decided yet (the environment is read on first use), 0: off, 1: on.
std::atomic<int> g_debugOutput{-1};

} // namespace

bool debugOutputEnabled()
{
    int state = g_debugOutput.load();
    if (state < 0)
    {
        const char* value = std::getenv("QELT_DEBUG_LOG");
        const int fromEnvironment = (value != nullptr && ::strcasecmp(value, "true") == 0) ? 1 : 0;
        // A concurrent setDebugOutputEnabled wins over the environment.
        g_debugOutput.compare_exchange_strong(state, fromEnvironment);
        state = g_debugOutput.load();
    }
    return state == 1;
}

void setDebugOutputEnabled(bool enabled)
{
    g_debugOutput.store(enabled ? 1 : 0);
}

void debugOutput(const char* text)
{
    if (text == nullptr || !debugOutputEnabled())
    {
        return;
    }
    std::fputs(text, stderr);
    std::fflush(stderr);
}

// ---------------------------------------------------------------------------------------------
// Environment
// ---------------------------------------------------------------------------------------------

std::optional<std::string> getEnvironment(const std::string& name)
{
    const char* value = std::getenv(name.c_str());
    if (value == nullptr)
    {
        return std::nullopt;
    }
    return std::string(value);
}

bool setEnvironment(const std::string& name, const std::optional<std::string>& value)
{
    if (name.empty() || name.find('=') != std::string::npos)
    {
        return false;
    }
    if (!value)
    {
        return ::unsetenv(name.c_str()) == 0;
    }
    return ::setenv(name.c_str(), value->c_str(), 1) == 0;
}

// ---------------------------------------------------------------------------------------------
// Folders and files
// ---------------------------------------------------------------------------------------------

uint32_t processId()
{
    return static_cast<uint32_t>(::getpid());
}

std::string temporaryFolder()
{
    std::error_code ec;
    std::string folder = std::filesystem::temp_directory_path(ec).string();
    if (ec || folder.empty())
    {
        folder = "/tmp";
    }
    if (folder.back() != '/')
    {
        folder += '/';
    }
    return folder;
}

std::optional<uint64_t> freeDiskSpace(const std::string& path)
{
    struct statvfs info
    {
    };
    if (::statvfs(path.c_str(), &info) != 0)
    {
        return std::nullopt;
    }
    return static_cast<uint64_t>(info.f_bavail) * static_cast<uint64_t>(info.f_frsize);
}

std::string executablePath()
{
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : path.string();
}

std::string modulePath(const void* address)
{
    Dl_info info{};
    link_map* module = nullptr;
    if (::dladdr1(address, &info, reinterpret_cast<void**>(&module), RTLD_DL_LINKMAP) == 0)
    {
        return {};
    }
    // The loader names the main program by the text it was started with (or not at all).
    if (module == nullptr || module->l_name == nullptr || module->l_name[0] == '\0')
    {
        return executablePath();
    }
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::canonical(module->l_name, ec);
    return ec ? std::string(module->l_name) : path.string();
}

} // namespace qelt::platform

// The crash-dump hook on POSIX signals.
#include "viewer/mini_dump.h"

#include "platform/system.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <execinfo.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qelt
{

namespace
{

std::string g_dumpName = "Application";
bool g_prepared = false;
// Everything the handler needs is made before it can run: it allocates nothing.
char g_template[4096];
bool g_debug = false;
constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

void writeText(int fd, const char* text)
{
    const std::size_t length = std::strlen(text);
    std::size_t done = 0;
    while (done < length)
    {
        const ssize_t n = ::write(fd, text + done, length - done);
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

void debugLine(const char* text)
{
    if (g_debug)
        writeText(2, text);
}

// Same rule as nextFreeDumpFile, into a caller buffer and without allocating.
void nextFreeInto(const char* pathTemplate, char* out, std::size_t size)
{
    std::snprintf(out, size, "%s", pathTemplate);
    const char* slash = std::strrchr(out, '/');
    const std::size_t fileStart = slash != nullptr ? static_cast<std::size_t>(slash - out) + 1 : 0;
    std::size_t end = std::strlen(out);
    while (end > fileStart && (out[end - 1] < '0' || out[end - 1] > '9'))
        --end;
    std::size_t start = end;
    while (start > fileStart && out[start - 1] >= '0' && out[start - 1] <= '9')
        --start;
    if (start == end)
        return;
    const int width = static_cast<int>(end - start);
    char tail[4096];
    std::snprintf(tail, sizeof tail, "%s", pathTemplate + end);
    for (int n = 0; n <= 999; ++n)
    {
        char digits[32];
        std::snprintf(digits, sizeof digits, "%0*d", width, n);
        out[start] = '\0';
        const std::size_t used = std::strlen(out);
        std::snprintf(out + used, size - used, "%s%s", digits, tail);
        if (::access(out, F_OK) != 0)
            return;
    }
}

void crashHandler(int signal, siginfo_t*, void*)
{
    debugLine("cMiniDump: BANG!\n");
    char file[4096];
    nextFreeInto(g_template, file, sizeof file);
    char line[4200];
    std::snprintf(line, sizeof line, "cMiniDump: Dumping to \"%s\"\n", file);
    debugLine(line);
    const int fd = ::open(file, O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd >= 0)
    {
        std::snprintf(line, sizeof line, "%s\nsignal %d (%s)\nbacktrace:\n", g_dumpName.c_str(),
                      signal, strsignal(signal));
        writeText(fd, line);
        void* frames[64];
        const int count = ::backtrace(frames, 64);
        ::backtrace_symbols_fd(frames, count, fd);
        ::close(fd);
    }
    // The system's own handling goes on: the default action of the same signal.
    std::signal(signal, SIG_DFL);
    ::raise(signal);
}

void installHandler()
{
    static char stack[64 * 1024];
    stack_t alternate{};
    alternate.ss_sp = stack;
    alternate.ss_size = sizeof stack;
    ::sigaltstack(&alternate, nullptr);
    // backtrace loads its unwinder on first use; doing that now keeps the handler from it.
    void* frames[4];
    ::backtrace(frames, 4);
    struct sigaction action
    {
    };
    action.sa_sigaction = crashHandler;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int signal : kSignals)
        ::sigaction(signal, &action, nullptr);
}

} // namespace

std::string miniDumpVersionText()
{
    char text[96];
    std::snprintf(text, sizeof text, "%s%s%d.%d.%d.%d", kVersionPreRelease ? "PreRelease " : "",
#ifdef NDEBUG
                  "R",
#else
                  "D",
#endif
                  kVersionMajor, kVersionMinor, kVersionBuild, kVersionRevision);
    return text;
}

std::string miniDumpMachineText()
{
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return "ERR3";
    // The first interface is the first one the table names; its physical address is the link
    // layer entry of that name.
    const char* first = nullptr;
    for (ifaddrs* entry = list; entry != nullptr && first == nullptr; entry = entry->ifa_next)
        first = entry->ifa_name;
    std::string text = first == nullptr ? "ERR4" : "";
    for (ifaddrs* entry = list; first != nullptr && entry != nullptr; entry = entry->ifa_next)
    {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_PACKET ||
            std::strcmp(entry->ifa_name, first) != 0)
            continue;
        const auto* link = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
        bool any = false;
        for (int i = 0; i < link->sll_halen && i < 8; ++i)
            any = any || link->sll_addr[i] != 0;
        for (int i = 0; any && i < link->sll_halen && i < 8; ++i)
        {
            char digits[3];
            std::snprintf(digits, sizeof digits, "%02x", link->sll_addr[i]);
            text += digits;
        }
        break;
    }
    ::freeifaddrs(list);
    return text;
}

std::string buildMiniDumpName()
{
    return "QELT_VIEWER_" + miniDumpMachineText() + "_" + miniDumpVersionText();
}

void prepareMiniDump()
{
    if (g_prepared)
        return;
    g_prepared = true;
    g_dumpName = buildMiniDumpName();
    if (!platform::getEnvironment("QELT_DUMP_TYPE"))
        return;
    g_debug = platform::debugOutputEnabled();
    std::string folder;
    if (const auto dir = platform::getEnvironment("QELT_DUMP_DIR"))
        folder = *dir;
    else
    {
        folder = platform::temporaryFolder();
        if (!folder.empty() && folder.back() != '/')
            folder += '/';
    }
    std::snprintf(g_template, sizeof g_template, "%s%s-000.dmp", folder.c_str(),
                  g_dumpName.c_str());
    platform::debugOutput(("cMiniDump: \"" + g_dumpName + "\"\n").c_str());
    installHandler();
}

const std::string& miniDumpName()
{
    return g_dumpName;
}

std::string nextFreeDumpFile(const std::string& pathTemplate)
{
    char out[4096];
    nextFreeInto(pathTemplate.c_str(), out, sizeof out);
    return out;
}

} // namespace qelt

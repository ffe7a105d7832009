// Running real programs from tests: one run with its output and exit code, or a background
// process (a display server) that lives as long as its object.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace qelt::testing
{

struct cProcessResult
{
    int exitCode = -1; // -1 when it did not exit normally (signal, or stopped after the limit)
    std::string out;
    std::string err;
};

// Changes to the environment of a child: a value sets the variable, an empty optional removes it.
using EnvironmentChanges = std::map<std::string, std::optional<std::string>>;

namespace process_detail
{

inline std::vector<std::string> environmentWith(const EnvironmentChanges& changes)
{
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry)
    {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        if (changes.count(name) == 0)
            result.push_back(text);
    }
    for (const auto& [name, value] : changes)
    {
        if (value)
            result.push_back(name + "=" + *value);
    }
    return result;
}

inline std::vector<char*> pointers(std::vector<std::string>& texts)
{
    std::vector<char*> result;
    for (std::string& text : texts)
        result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

// Starts program with its output sent to the named files ("" keeps the test's own); the child
// runs in folder when one is given.
inline pid_t spawn(const std::string& program, const std::vector<std::string>& args,
                   const EnvironmentChanges& changes, const std::string& outFile,
                   const std::string& errFile, const std::string& folder = "")
{
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> envp = environmentWith(changes);
    std::vector<char*> argvPointers = pointers(argv);
    std::vector<char*> envpPointers = pointers(envp);
    const pid_t pid = ::fork();
    if (pid == 0)
    {
        // Its own process group, so everything it starts can be stopped with it.
        ::setpgid(0, 0);
        if (!outFile.empty())
        {
            const int fd = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(fd, 1);
        }
        if (!errFile.empty())
        {
            const int fd = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(fd, 2);
        }
        const int null = ::open("/dev/null", O_RDONLY);
        ::dup2(null, 0);
        if (!folder.empty() && ::chdir(folder.c_str()) != 0)
            ::_exit(126);
        ::execve(program.c_str(), argvPointers.data(), envpPointers.data());
        ::_exit(127);
    }
    return pid;
}

inline std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace process_detail

// Runs program to its end. A run that goes past the limit is stopped and fails the test, so a
// hang shows as a failure rather than a stuck suite.
inline cProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                                 const EnvironmentChanges& changes = {},
                                 const std::string& folder = "",
                                 std::chrono::seconds limit = std::chrono::seconds(60))
{
    char pattern[] = "/tmp/qelt-run-XXXXXX";
    const std::string scratch = ::mkdtemp(pattern) != nullptr ? pattern : "/tmp";
    const std::string outFile = scratch + "/out";
    const std::string errFile = scratch + "/err";
    const pid_t pid = process_detail::spawn(program, args, changes, outFile, errFile, folder);
    cProcessResult result;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    pid_t done = 0;
    while ((done = ::waitpid(pid, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (done == 0)
    {
        ::kill(-pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        ADD_FAILURE() << program << " did not end within " << limit.count() << " s";
    }
    else if (WIFEXITED(status))
    {
        result.exitCode = WEXITSTATUS(status);
    }
    result.out = process_detail::slurp(outFile);
    result.err = process_detail::slurp(errFile);
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
    return result;
}

// A program left running in the background; stopped (with everything it started) when the
// object goes.
class cBackgroundProcess
{
  public:
    cBackgroundProcess(const std::string& program, const std::vector<std::string>& args,
                       const EnvironmentChanges& changes = {})
        : pid_(process_detail::spawn(program, args, changes, "/dev/null", "/dev/null"))
    {
    }
    ~cBackgroundProcess() { stop(); }
    cBackgroundProcess(const cBackgroundProcess&) = delete;
    cBackgroundProcess& operator=(const cBackgroundProcess&) = delete;

    pid_t pid() const { return pid_; }
    bool running() const { return pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0; }
    void stop()
    {
        if (pid_ > 0)
        {
            ::kill(-pid_, SIGTERM);
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

  private:
    pid_t pid_ = -1;
};

// The first of the program names found on the search path; "" when none is.
inline std::string findProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':'))
    {
        const std::string candidate = folder + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return "";
}

} // namespace qelt::testing

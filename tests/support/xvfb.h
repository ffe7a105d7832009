// A virtual X display for the tests that need a real one: Xvfb on a display number it picks
// itself (so parallel tests never share one), stopped with the object.
#pragma once

#include "tests/support/process.h"

#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>
#include <string>

namespace qelt::testing
{

class cXvfb
{
  public:
    // Starts the server; available() says whether it came up.
    cXvfb()
    {
        const std::string program = findProgram("Xvfb");
        if (program.empty())
        {
            why_ = "Xvfb is not installed (scripts/install-deps installs it)";
            return;
        }
        int pipe[2];
        if (::pipe(pipe) != 0)
        {
            why_ = "cannot make a pipe for Xvfb";
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0)
        {
            ::setpgid(0, 0);
            ::close(pipe[0]);
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, 0);
            ::dup2(null, 1);
            ::dup2(null, 2);
            // -displayfd: the server takes a free display and writes its number here;
            // -noreset: it does not restart when its last client leaves.
            const std::string fd = std::to_string(pipe[1]);
            ::execl(program.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0",
                    "1280x1024x24", "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(pipe[1]);
        const std::string number = readLine(pipe[0]);
        ::close(pipe[0]);
        if (number.empty())
        {
            why_ = "Xvfb did not start";
            stop();
            return;
        }
        display_ = ":" + number;
    }
    ~cXvfb() { stop(); }
    cXvfb(const cXvfb&) = delete;
    cXvfb& operator=(const cXvfb&) = delete;

    bool available() const { return !display_.empty(); }
    const std::string& display() const { return display_; }
    const std::string& why() const { return why_; }

  private:
    // The display number, once the server is ready; "" when it ends or takes too long.
    static std::string readLine(int fd)
    {
        std::string line;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < deadline)
        {
            pollfd wait{fd, POLLIN, 0};
            if (::poll(&wait, 1, 100) <= 0)
                continue;
            char c = 0;
            if (::read(fd, &c, 1) != 1)
                return "";
            if (c == '\n')
                return line;
            line += c;
        }
        return "";
    }

    void stop()
    {
        if (pid_ > 0)
        {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

    pid_t pid_ = -1;
    std::string display_;
    std::string why_;
};

} // namespace qelt::testing

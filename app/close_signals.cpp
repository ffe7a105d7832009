// SIGINT and SIGTERM as a close request. The handler only writes a byte into a pipe; a thread of
// its own reads it and posts the message, which a signal handler may not do.
#include "app/close_signals.h"

#include "platform/window/message_queue.h"

#include <atomic>
#include <csignal>
#include <thread>
#include <unistd.h>

namespace qelt
{

namespace
{

int g_pipe[2] = {-1, -1};
std::atomic<int> g_count{0};

void onSignal(int signal)
{
    if (g_count.fetch_add(1) > 0)
    {
        std::signal(signal, SIG_DFL);
        ::raise(signal);
        return;
    }
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
}

} // namespace

void closeWindowOnSignals(platform::WindowHandle window)
{
    if (g_pipe[0] >= 0 || ::pipe(g_pipe) != 0)
        return;
    // Lives until the process ends, blocked in its read.
    std::thread(
        [window]
        {
            char byte = 0;
            while (::read(g_pipe[0], &byte, 1) < 0)
            {
            }
            platform::postMessage(window, platform::WM_CLOSE, 0, 0);
        })
        .detach();
    struct sigaction action
    {
    };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

} // namespace qelt

// qelt_shell: runs the engine's shell outside the viewer, on one text (-c), a script file, or
// lines from standard input.
#include "core/event_dispatcher.h"
#include "core/file_manager.h"
#include "core/frame_clock.h"
#include "core/log_handlers.h"
#include "core/log_manager.h"
#include "shell/shell.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>
#include <unistd.h>

#ifdef QELT_HAVE_LIBEDIT
#include <editline/readline.h>
#endif

namespace
{

using namespace qelt;

// Texts the shell reports for the user go to standard output; usage texts come without a line
// feed, so one is added, as the log file does.
class cStdoutHandler final : public cLogManager::cHandler
{
  public:
    cStdoutHandler() : cHandler(cLogManager::kAllSources, cLogManager::kLevelMessage) {}
    void write(uint32_t, uint32_t, const char* text) override
    {
        std::fputs(text, stdout);
        const std::size_t length = std::strlen(text);
        if (length == 0 || text[length - 1] != '\n')
            std::fputc('\n', stdout);
        std::fflush(stdout);
    }
};

// One frame: the clock moves on and due posted texts run.
void frame()
{
    frameClock().tick();
    eventDispatcher().process(frameClock().now());
}

// Runs frames until no posted text is waiting.
void drain()
{
    frame();
    while (eventDispatcher().waitingCount() > 0)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        frame();
    }
}

bool readLine(bool interactive, std::string& line)
{
#ifdef QELT_HAVE_LIBEDIT
    if (interactive)
    {
        char* text = readline("> ");
        if (text == nullptr)
            return false;
        line = text;
        if (!line.empty())
            add_history(text);
        std::free(text);
        return true;
    }
#else
    if (interactive)
    {
        std::fputs("> ", stdout);
        std::fflush(stdout);
    }
#endif
    return static_cast<bool>(std::getline(std::cin, line));
}

int usage()
{
    std::fputs("usage: qelt_shell [-c TEXT | FILE]\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    cLogManager* logs = logManager();
    logs->addHandler(new cStdoutHandler);
    logs->addHandler(new cLogHandlerWinDebug);
    cShell* shell = qelt::shell();
    if (shell == nullptr)
        return 1;
    shell->attachEvents();
    bool ok = true;
    if (argc == 3 && std::strcmp(argv[1], "-c") == 0)
    {
        ok = shell->executeText(argv[2]);
        drain();
    }
    else if (argc == 2 && argv[1][0] != '-')
    {
        if (!runScriptFile(*shell, argv[1]))
        {
            std::fprintf(stderr, "qelt_shell: could not open %s\n", argv[1]);
            return 1;
        }
        drain();
    }
    else if (argc == 1)
    {
        const bool interactive = isatty(STDIN_FILENO) != 0;
        std::string line;
        while (readLine(interactive, line))
        {
            shell->executeText(line.c_str());
            frame();
        }
        frame();
    }
    else
    {
        return usage();
    }
    return ok && shell->failureCount() == 0 ? 0 : 1;
}

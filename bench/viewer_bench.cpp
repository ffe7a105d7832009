// The engine's start and idle cost: the real qelt_viewer from process start until its view runs,
// and the CPU the idle frame loop takes with and without the focus (the engine in this process).
#include "app/engine_binding.h"
#include "platform/shared_library.h"
#include "platform/window/message_queue.h"
#include "platform/window/window.h"
#include "tests/viewer/header_only_scene.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace
{

using namespace qelt;
using Clock = std::chrono::steady_clock;

// A scratch folder with the scene archive and, where the program unpacks its libraries, the
// stand-in for the GL plug-in (it makes the null renderer), so the "gl" view starts.
struct cScratch
{
    std::filesystem::path folder;
    cScratch()
    {
        char name[] = "/tmp/qelt_viewer_bench_XXXXXX";
        folder = ::mkdtemp(name);
        std::filesystem::create_directories(folder / "tmp/_qelt_viewer_000");
        std::filesystem::copy_file(QELT_GL_STAND_IN, folder / "tmp/_qelt_viewer_000/plinth_gl.so");
        const std::vector<uint8_t> scene = testing::headerOnlySceneArchive();
        FILE* file = std::fopen((folder / "scene.arc").c_str(), "wb");
        std::fwrite(scene.data(), 1, scene.size(), file);
        std::fclose(file);
    }
    ~cScratch() { std::filesystem::remove_all(folder); }
};

// Starts qelt_viewer headless with debug output on a pipe; returns its pid and the pipe.
pid_t startViewer(const cScratch& scratch, int* readEnd)
{
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0)
    {
        ::dup2(pipe[1], 2);
        ::setenv("QELT_WINDOW_SYSTEM", "headless", 1);
        ::unsetenv("DISPLAY");
        ::setenv("QELT_DEBUG_LOG", "true", 1);
        ::setenv("TMPDIR", (scratch.folder / "tmp").c_str(), 1);
        const std::string scene = (scratch.folder / "scene.arc").string();
        ::execl(QELT_VIEWER_PATH, "qelt_viewer", scene.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipe[1]);
    *readEnd = pipe[0];
    return pid;
}

// Reads the program's debug output until the text arrives; false when the output ends first or
// nothing comes for ten seconds.
bool readUntil(int fd, const char* text)
{
    std::string seen;
    char buffer[4096];
    for (;;)
    {
        pollfd wait{fd, POLLIN, 0};
        if (::poll(&wait, 1, 10000) <= 0)
            return false;
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0)
            return false;
        seen.append(buffer, static_cast<size_t>(got));
        if (seen.find(text) != std::string::npos)
            return true;
    }
}

void BM_ProcessStartToViewRunning(benchmark::State& state)
{
    cScratch scratch;
    for (auto _ : state)
    {
        int output = -1;
        const Clock::time_point start = Clock::now();
        const pid_t pid = startViewer(scratch, &output);
        const bool running = pid > 0 && readUntil(output, "Loaded renderer\n");
        const Clock::time_point ran = Clock::now();
        if (pid > 0)
        {
            ::kill(pid, SIGTERM);
            ::close(output);
            ::waitpid(pid, nullptr, 0);
        }
        if (!running)
        {
            state.SkipWithError("the view did not start");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(ran - start).count());
    }
}
BENCHMARK(BM_ProcessStartToViewRunning)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(10)
    ->ReportAggregatesOnly()
    ->Unit(benchmark::kMillisecond);

double cpuSeconds(int who)
{
    rusage usage{};
    ::getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

// The CPU time of every thread but the calling one (the host's): the engine's.
double engineCpuSeconds()
{
    return cpuSeconds(RUSAGE_SELF) - cpuSeconds(RUSAGE_THREAD);
}

intptr_t hostProcedure(platform::WindowHandle window, uint32_t message, uintptr_t wParam,
                       intptr_t lParam)
{
    return platform::defaultWindowProcedure(window, message, wParam, lParam);
}

platform::WindowHandle makeWindow(const char* title)
{
    platform::cCreateWindow create;
    create.className = "qelt Bench Host";
    create.title = title;
    create.style = platform::WS_OVERLAPPEDWINDOW | platform::WS_VISIBLE | platform::WS_CLIPCHILDREN;
    create.width = 800;
    create.height = 600;
    return platform::createWindow(create);
}

platform::WindowHandle viewOf(platform::WindowHandle host)
{
    for (platform::WindowHandle child : platform::getChildren(host))
        if (platform::getClassName(child) == "qelt-View")
            return child;
    return nullptr;
}

// Runs the host's messages for a while, as the program's loop would.
void pumpFor(std::chrono::milliseconds time)
{
    const Clock::time_point end = Clock::now() + time;
    while (Clock::now() < end)
    {
        platform::cMessage message;
        while (platform::peekMessage(&message, nullptr, 0, 0, platform::PM_REMOVE))
            platform::dispatchMessage(message);
        platform::waitMessageFor(std::chrono::milliseconds(5));
    }
}

// The engine's CPU over two seconds of an idle view, as a share of one core (the host thread that
// pumps the messages meanwhile is not counted).
void BM_IdleFrameLoopCpu(benchmark::State& state)
{
    const bool focused = state.range(0) != 0;
    ::setenv("QELT_WINDOW_SYSTEM", "headless", 1);
    ::unsetenv("QELT_DEBUG_LOG");
    static platform::cSharedLibrary* library = nullptr;
    static cEngineBinding engine;
    static std::vector<uint8_t> scene = testing::headerOnlySceneArchive();
    if (library == nullptr)
    {
        library = new platform::cSharedLibrary;
        std::string missing;
        if (!library->open(QELT_ENGINE_PATH) || !bindEngine(*library, &engine, &missing))
        {
            state.SkipWithError("the engine library cannot be bound");
            return;
        }
        platform::cWindowClass windowClass;
        windowClass.name = "qelt Bench Host";
        windowClass.procedure = hostProcedure;
        platform::registerWindowClass(windowClass);
    }
    const platform::WindowHandle host = makeWindow("host");
    const platform::WindowHandle other = makeWindow("other");
    engine.setRenderWindow(host);
    engine.run(0, "none", nullptr);
    engine.loadSceneFromMemory(scene.data(), static_cast<uint32_t>(scene.size()));
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
    while (viewOf(host) == nullptr && Clock::now() < deadline)
        pumpFor(std::chrono::milliseconds(10));
    if (viewOf(host) == nullptr)
    {
        state.SkipWithError("the view did not start");
        return;
    }
    platform::setFocus(focused ? viewOf(host) : other);
    pumpFor(std::chrono::milliseconds(300));

    double share = 0;
    for (auto _ : state)
    {
        const double cpuBefore = engineCpuSeconds();
        const Clock::time_point before = Clock::now();
        pumpFor(std::chrono::seconds(2));
        const double wall = std::chrono::duration<double>(Clock::now() - before).count();
        share = (engineCpuSeconds() - cpuBefore) / wall;
    }
    state.counters["cpu_percent"] = share * 100;
    engine.close();
    platform::destroyWindow(other);
    if (platform::isWindow(host))
        platform::destroyWindow(host);
    pumpFor(std::chrono::milliseconds(50));
}
BENCHMARK(BM_IdleFrameLoopCpu)->ArgName("focus")->Arg(1)->Arg(0)->Iterations(1);

} // namespace

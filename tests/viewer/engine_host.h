// The engine library loaded into the test process, driven the way qelt_viewer drives it: a host
// window with the program's procedure, the exports bound by their decorated names, and a message
// loop that stops at a condition or a time limit.
#pragma once

#include "app/engine_binding.h"
#include "app/engine_exports.h"
#include "core/log_manager.h"
#include "platform/shared_library.h"
#include "platform/window/message_queue.h"
#include "platform/window/window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qelt::testing
{

// Every text the log manager delivers, with the thread that wrote it.
class cThreadLogHandler : public cLogManager::cHandler
{
  public:
    struct cLine
    {
        std::string text;
        std::thread::id thread;
    };
    cThreadLogHandler() : cHandler(cLogManager::kAllSources, cLogManager::kAllLevels) {}
    void write(uint32_t, uint32_t, const char* text) override
    {
        std::lock_guard guard(lock_);
        lines_.push_back({text, std::this_thread::get_id()});
    }
    std::vector<cLine> lines()
    {
        std::lock_guard guard(lock_);
        return lines_;
    }
    std::vector<std::string> texts()
    {
        std::vector<std::string> result;
        for (const cLine& line : lines())
            result.push_back(line.text);
        return result;
    }
    int count(const std::string& text)
    {
        int n = 0;
        for (const cLine& line : lines())
            n += line.text == text ? 1 : 0;
        return n;
    }

  private:
    std::mutex lock_;
    std::vector<cLine> lines_;
};

// True when the texts hold the wanted ones in this order (others may lie between).
inline bool linesInOrder(const std::vector<std::string>& texts,
                         const std::vector<std::string>& wanted)
{
    std::size_t at = 0;
    for (const std::string& text : texts)
        if (at < wanted.size() && text == wanted[at])
            ++at;
    return at == wanted.size();
}

inline intptr_t hostProcedure(platform::WindowHandle window, uint32_t message, uintptr_t wParam,
                              intptr_t lParam)
{
    using namespace platform;
    if (message == WM_CLOSE)
    {
        destroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY)
    {
        postQuitMessage(0);
        return 0;
    }
    return defaultWindowProcedure(window, message, wParam, lParam);
}

class cEngineHostTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ::setenv("QELT_WINDOW_SYSTEM", "headless", 1);
        ::unsetenv("DISPLAY");
        ::setenv("QELT_DEBUG_LOG", "true", 1);
        ::unsetenv("QELT_DUMP_TYPE");
        log_ = new cThreadLogHandler;
        logManager()->addHandler(log_);

        platform::cWindowClass windowClass;
        windowClass.name = "qelt Test Host";
        windowClass.procedure = hostProcedure;
        platform::registerWindowClass(windowClass);
        platform::cCreateWindow create;
        create.className = windowClass.name;
        create.title = "host";
        create.style =
            platform::WS_OVERLAPPEDWINDOW | platform::WS_VISIBLE | platform::WS_CLIPCHILDREN;
        create.x = 0;
        create.y = 0;
        create.width = 800;
        create.height = 600;
        host_ = platform::createWindow(create);
        ASSERT_NE(host_, nullptr);

        // Loaded once and kept: the process ends with the library in place, as qelt_viewer's
        // engine lives until the program ends.
        static platform::cSharedLibrary* library = new platform::cSharedLibrary;
        library_ = library;
        if (library_->symbol(engine::kRun) == nullptr)
        {
            ASSERT_TRUE(library_->open(QELT_ENGINE_PATH)) << library_->error();
        }
        std::string missing;
        ASSERT_TRUE(bindEngine(*library_, &engine_, &missing)) << "missing " << missing;
    }

    void TearDown() override
    {
        if (!closed_ && engine_.close != nullptr)
            engine_.close();
        if (platform::isWindow(host_))
            platform::destroyWindow(host_);
        // The quit message of the destroyed window is not wanted by the next step.
        platform::cMessage message;
        while (platform::peekMessage(&message, nullptr, 0, 0, platform::PM_REMOVE))
        {
        }
        logManager()->removeHandler(log_);
        delete log_;
    }

    template <class F> F bind(const char* name)
    {
        return reinterpret_cast<F>(library_->symbol(name));
    }

    // Host window, then _Run@12 on the driver, as the program starts the engine.
    void start(const char* driver = "none")
    {
        engine_.setRenderWindow(host_);
        engine_.run(0, driver, nullptr);
    }

    // Runs the host's message loop until done() is true or the quit message comes; false when the
    // time runs out first.
    bool pumpUntil(const std::function<bool()>& done,
                   std::chrono::milliseconds limit = std::chrono::seconds(20))
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline)
        {
            platform::cMessage message;
            while (platform::peekMessage(&message, nullptr, 0, 0, platform::PM_REMOVE))
            {
                if (message.message == platform::WM_QUIT)
                {
                    quit_ = true;
                    quitCode_ = static_cast<int>(message.wParam);
                    return true;
                }
                platform::dispatchMessage(message);
            }
            if (done && done())
                return true;
            platform::waitMessageFor(std::chrono::milliseconds(5));
        }
        return false;
    }

    bool pumpUntilQuit() { return pumpUntil(nullptr) && quit_; }

    // The running view window inside the host window, or null.
    platform::WindowHandle viewWindow()
    {
        for (platform::WindowHandle child : platform::getChildren(host_))
            if (platform::getClassName(child) == "qelt-View")
                return child;
        return nullptr;
    }

    bool waitForView(int loaded = 1)
    {
        return pumpUntil(
                   [&] {
                       return log_->count("Loaded renderer\n") >= loaded && viewWindow() != nullptr;
                   }) &&
               !quit_;
    }

    // _Close@0 as the program calls it when its loop has ended.
    void closeEngine()
    {
        engine_.close();
        closed_ = true;
    }

    platform::cSharedLibrary* library_ = nullptr; // not owned
    cEngineBinding engine_;                       // bound as qelt_viewer binds them
    platform::WindowHandle host_ = nullptr;
    cThreadLogHandler* log_ = nullptr; // owned
    bool quit_ = false;
    int quitCode_ = -1;
    bool closed_ = false;
};

} // namespace qelt::testing

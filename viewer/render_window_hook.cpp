// The hook on the render window. It runs on the host thread and talks to the view thread only
// through posted messages.
#include "viewer/render_window_hook.h"

#include "core/log_manager.h"
#include "platform/window/message_queue.h"
#include "platform/window/window.h"
#include "viewer/qelt_viewer.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace qelt
{

using namespace platform;

namespace
{

// Set by _Run@12 on the host thread, cleared by _Close@0 on it.
std::atomic<WindowProcedure> g_saved{nullptr};
std::atomic<WindowHandle> g_window{nullptr};

intptr_t passOn(WindowProcedure saved, WindowHandle window, uint32_t message, uintptr_t wParam,
                intptr_t lParam)
{
    if (saved == nullptr)
        return defaultWindowProcedure(window, message, wParam, lParam);
    return callWindowProcedure(saved, window, message, wParam, lParam);
}

intptr_t hook(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    // Kept first: the destruction puts the saved procedure back before passing the message on.
    const WindowProcedure saved = g_saved.load();
    cQeltViewer& viewer = qeltViewer();
    switch (message)
    {
    case WM_DESTROY:
        closeEngine();
        break;
    case WM_SIZE:
    {
        cRect rect;
        getClientRect(window, &rect);
        for (WindowHandle child : getChildren(window))
        {
            moveWindow(child, 0, 0, rect.width(), rect.height(), true);
            showWindow(child, SW_SHOW);
        }
        break;
    }
    case WM_SETFOCUS:
        if (const WindowHandle view = viewer.viewWindow())
            setFocus(view);
        break;
    case WM_CLOSE:
        debugf("Hook: WM_CLOSE\n");
        if (viewer.viewWindow() != nullptr)
        {
            postMessage(window, WM_USER, 0, 0);
            return 0;
        }
        break;
    case WM_CHAR:
        debugf("wmhook CHAR %08x\n", static_cast<unsigned>(wParam));
        // F5 to F8 of the view arrive here as their key codes, which are these letters.
        switch (wParam)
        {
        case 't':
            viewer.stopView();
            break;
        case 'u':
            viewer.restartView("gl");
            break;
        case 'v':
            viewer.restartView("dx8");
            break;
        case 'w':
            viewer.restartView("none");
            break;
        default:
            break;
        }
        break;
    case WM_PARENTNOTIFY:
        if (lowWord(static_cast<intptr_t>(wParam)) == static_cast<int>(WM_CREATE))
            debugf("Child CREATED\n");
        else if (lowWord(static_cast<intptr_t>(wParam)) == static_cast<int>(WM_DESTROY))
            debugf("Child DESTROYED\n");
        break;
    case WM_USER:
        debugf("Hook: WM_USER\n");
        if (viewer.viewWindow() != nullptr)
            viewer.stopView();
        else
            postMessage(window, WM_CLOSE, 0, 0);
        break;
    case WM_USER + 1:
        debugf("Hook: WM_USER+1\n");
        // A renderer switch keeps the window: the new view starts in it instead.
        if (!viewer.viewEnded())
            postMessage(window, WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
    return passOn(saved, window, message, wParam, lParam);
}

} // namespace

bool installRenderWindowHook(WindowHandle window)
{
    const WindowProcedure saved = setWindowProcedure(window, hook);
    if (saved == nullptr)
        return false;
    g_window = window;
    g_saved = saved;
    return true;
}

void removeRenderWindowHook()
{
    const WindowProcedure saved = g_saved.exchange(nullptr);
    const WindowHandle window = g_window.exchange(nullptr);
    if (saved != nullptr && window != nullptr)
        setWindowProcedure(window, saved);
}

void closeEngine()
{
    qeltViewer().stopView();
    removeRenderWindowHook();
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
}

} // namespace qelt

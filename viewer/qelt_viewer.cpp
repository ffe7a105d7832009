// The viewer object: view slot and lock, the view thread with the "qelt-View" window and the frame
// loop, and the loader thread up to the point where the scene stream itself is read.
#include "viewer/qelt_viewer.h"

#include "core/event_dispatcher.h"
#include "core/event_sink.h"
#include "core/event_type.h"
#include "core/file.h"
#include "core/file_manager.h"
#include "core/frame_clock.h"
#include "core/log_manager.h"
#include "core/stream_load.h"
#include "platform/message_box.h"
#include "platform/system.h"
#include "platform/window/message_queue.h"
#include "platform/window/window.h"
#include "render/renderer.h"
#include "render/renderer_callback.h"
#include "render/renderer_handle.h"
#include "render/renderer_loader.h"
#include "viewer/loading_progress.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

namespace qelt
{

using namespace platform;

namespace
{

const char* const kViewClass = "qelt-View";
const char* const kViewTitle = "qelt View";
constexpr uint32_t kChildStyle = 0x50000000;      // child, visible
constexpr uint32_t kFullscreenStyle = 0x90080000; // popup, visible, system menu
constexpr uint32_t kWindowedStyle = 0x10CF0000;   // visible overlapped window
// Red 231, green 228, blue 207, as the background brush holds it.
constexpr uintptr_t kBackground = 0xCFE4E7;
constexpr int kMinimumSize = 8;

void sleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The renderer parameters of no window, which the null renderer gets when no view runs.
cRendererParams idleParams()
{
    cRendererParams params;
    params.right = kMinimumSize;
    params.bottom = kMinimumSize;
    return params;
}

// "Renderer.Load" and "Renderer.Unload" are listened to so the types stay subscribed; the viewer
// has nothing to do on either yet.
class cIgnoreEvent final : public cEventSink
{
  public:
    int handle(cEvent&) override { return eEventContinue; }
};
cIgnoreEvent g_ignoreEvent;

void subscribe(const char* name)
{
    if (cEventType* type = eventDispatcher().findType(name))
        type->addSink(&g_ignoreEvent);
}

void unsubscribe(const char* name)
{
    if (cEventType* type = eventDispatcher().findType(name))
        type->removeSink(&g_ignoreEvent);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Construction
// ---------------------------------------------------------------------------------------------

cQeltViewer::cQeltViewer()
{
    subscribe("Renderer.Unload");
    subscribe("Renderer.Load");
    // A renderer always exists: the null one until a view starts another.
    cRendererParams params = idleParams();
    setRenderer("", &params);
    // The plug-ins lie beside the engine library.
    const std::string library = modulePath(reinterpret_cast<const void*>(&qeltViewer));
    if (!library.empty())
        fileManager()->addPath(std::filesystem::path(library).parent_path().string());
}

cQeltViewer::~cQeltViewer()
{
    closing_ = true;
    joinThreads();
    delete loadingProgress_.exchange(nullptr);
    unsubscribe("Renderer.Unload");
    unsubscribe("Renderer.Load");
}

void cQeltViewer::joinThreads()
{
    std::lock_guard guard(threadLock_);
    if (loaderThread_.joinable())
        loaderThread_.join();
    if (viewThread_.joinable())
        viewThread_.join();
}

cQeltViewer& qeltViewer()
{
    static cQeltViewer viewer;
    return viewer;
}

void cQeltViewer::setDriverName(const std::string& name)
{
    std::lock_guard guard(nameLock_);
    driverName_ = name;
}

std::string cQeltViewer::driverName()
{
    std::lock_guard guard(nameLock_);
    return driverName_;
}

// ---------------------------------------------------------------------------------------------
// The viewer lock: the mutex, then the renderer's own lock, retried every 1 ms
// ---------------------------------------------------------------------------------------------

void cQeltViewer::lock()
{
    viewerLock_.lock();
    if (cRenderer* renderer = currentRenderer())
        while (!renderer->lock())
            sleepMs(1);
}

bool cQeltViewer::tryLock()
{
    if (!viewerLock_.try_lock())
        return false;
    if (cRenderer* renderer = currentRenderer())
        while (!renderer->lock())
            sleepMs(1);
    return true;
}

void cQeltViewer::unlock()
{
    if (cRenderer* renderer = currentRenderer())
        renderer->unlock();
    viewerLock_.unlock();
}

// ---------------------------------------------------------------------------------------------
// Starting and ending views
// ---------------------------------------------------------------------------------------------

cQeltViewer::WindowHandle cQeltViewer::startView(WindowHandle parent, int x, int y, int width,
                                                 int height, const std::string& driverName)
{
    if (!viewSlot_.try_acquire())
    {
        debugf("Trying to create view - one running\n");
        return nullptr;
    }
    setDriverName(driverName.empty() ? "gl" : driverName);
    parentWindow_ = parent;
    viewX_ = x;
    viewY_ = y;
    viewWidth_ = width;
    viewHeight_ = height;
    active_ = true;
    viewFailed_ = false;
    std::lock_guard guard(threadLock_);
    // The previous view thread gave the slot back; all it has left is to post WM_USER+1.
    if (viewThread_.joinable())
        viewThread_.join();
    viewThread_ = std::thread(&cQeltViewer::viewThread, this);
    return viewWindow_.load();
}

void cQeltViewer::stopView()
{
    if (!viewSlot_.try_acquire())
    {
        postMessage(viewWindow_.load(), WM_CLOSE, 0, 0);
        debugf("Interface finished\n");
        return;
    }
    debugf("Trying to destroy view - none running\n");
    viewSlot_.release();
}

void cQeltViewer::restartView(const std::string& driverName)
{
    if (viewWindow_.load() == nullptr)
    {
        stopView();
        startView(parentWindow_, viewX_, viewY_, viewWidth_, viewHeight_, driverName);
        return;
    }
    // The new view starts when the old one has told the host window that it ended.
    {
        std::lock_guard guard(nameLock_);
        pendingDriver_ = driverName;
    }
    switchPending_ = true;
    stopView();
}

bool cQeltViewer::viewEnded()
{
    if (!switchPending_)
        return false;
    switchPending_ = false;
    std::string driver;
    {
        std::lock_guard guard(nameLock_);
        driver = pendingDriver_;
    }
    startView(parentWindow_, viewX_, viewY_, viewWidth_, viewHeight_, driver);
    return true;
}

void cQeltViewer::applyWindowMode()
{
    if (!fullscreen_)
    {
        setWindowStyle(parentWindow_,
                       WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_OVERLAPPEDWINDOW);
        moveWindow(parentWindow_, 0, 0, modeWidth_, modeHeight_, true);
        return;
    }
    cRect rect;
    if (getClientRect(viewWindow_.load(), &rect))
    {
        modeWidth_ = rect.width();
        modeHeight_ = rect.height();
    }
    setWindowStyle(parentWindow_, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
    const cPoint screen = screenSize();
    moveWindow(parentWindow_, 0, 0, screen.x, screen.y, true);
}

// ---------------------------------------------------------------------------------------------
// The view thread
// ---------------------------------------------------------------------------------------------

void cQeltViewer::viewThread()
{
    lock();
    cWindowClass windowClass;
    windowClass.name = kViewClass;
    windowClass.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
    windowClass.procedure = &cQeltViewer::viewProcedure;
    windowClass.background = kBackground;
    registerWindowClass(windowClass); // a second view finds it registered

    cCreateWindow create;
    create.className = kViewClass;
    create.title = kViewTitle;
    if (parentWindow_ != nullptr)
        create.style = kChildStyle;
    else if (fullscreen_)
        create.style = kFullscreenStyle;
    else
    {
        create.style = kWindowedStyle;
        create.exStyle = topmost_ ? WS_EX_TOPMOST : 0;
    }
    setCursor(loadCursor(IDC_WAIT));
    cRect parentRect;
    if (parentWindow_ != nullptr && getClientRect(parentWindow_, &parentRect))
    {
        viewX_ = 0;
        viewY_ = 0;
        viewWidth_ = parentRect.width();
        viewHeight_ = parentRect.height();
    }
    create.x = viewX_;
    create.y = viewY_;
    create.width = viewWidth_;
    create.height = viewHeight_;
    create.parent = parentWindow_;
    create.createParam = this;
    const WindowHandle window = createWindow(create);
    if (window == nullptr)
    {
        running_ = false;
        setCursor(loadCursor(IDC_ARROW));
        abandonView(false);
        return;
    }
    viewWindow_ = window;

    cRendererParams params;
    params.window = window;
    if (parentWindow_ == nullptr && fullscreen_)
    {
        params.right = 800;
        params.bottom = 600;
        params.fullScreen = 1;
    }
    else
    {
        params.right = std::max(viewWidth_.load(), kMinimumSize);
        params.bottom = std::max(viewHeight_.load(), kMinimumSize);
    }
    params.stereo = stereo_ ? 1 : 0;
    const std::string driver = driverName();
    debugf("Starting Renderer: %s\n", driver.c_str());
    if (!setRenderer(driver, &params))
    {
        messageBox("QELT", "Failed to load Renderer");
        abandonView(true);
        return;
    }
    viewWidth_ = params.width();
    viewHeight_ = params.height();

    setCursor(loadCursor(IDC_ARROW));
    setFocus(window);
    debugf("Loaded renderer\n");
    unlock();
    running_ = true;

    while (running_)
    {
        cMessage message;
        bool any = false;
        while (peekMessage(&message, nullptr, 0, 0, PM_REMOVE))
        {
            any = true;
            if (message.message == WM_QUIT)
            {
                running_ = false;
                break;
            }
            dispatchMessage(message);
        }
        if (any)
            continue;
        if (!running_ || loadingProgress_.load() != nullptr)
            sleepMs(50);
        else
            renderFrame();
    }
    shutdownView();
}

void cQeltViewer::abandonView(bool destroy)
{
    // Nobody waits for this view any more: the lock and the slot go back, and a loader that
    // waits for the view learns that it will not come.
    if (destroy)
    {
        cRendererParams params = idleParams();
        setRenderer("", &params);
    }
    viewFailed_ = true;
    unlock();
    const WindowHandle window = viewWindow_.exchange(nullptr);
    if (window != nullptr)
        destroyWindow(window);
    setCursor(loadCursor(IDC_ARROW));
    viewSlot_.release();
}

void cQeltViewer::shutdownView()
{
    debugf("Message pump stopped\n");
    setCursor(loadCursor(IDC_WAIT));
    debugf("\tA\n");
    debugf("\tB\n");
    lock();
    defaultRendererCallback().onInvalidate();
    debugf("\tC\n");
    cRendererParams params = idleParams();
    setRenderer("", &params);
    debugf("\tD\n");
    focused_ = false;
    debugf("\tE\n");
    debugf("\tF\n");
    unlock();
    debugf("\tG\n");
    const WindowHandle window = viewWindow_.load();
    destroyWindow(window);
    viewWindow_ = nullptr;
    setCursor(loadCursor(IDC_ARROW));
    debugf("\tReleasing\n");
    viewSlot_.release();
    postMessage(parentWindow_, WM_USER + 1, 0, 0);
}

// One frame. The scene's own steps join when scenes are read; until then a frame advances the
// clock, delivers the due events (posted commands among them) and keeps the statistics.
void cQeltViewer::renderFrame()
{
    if (loadingProgress_.load() != nullptr || !tryLock())
    {
        sleepMs(100);
        return;
    }
    frameClock().tick();
    eventDispatcher().process(frameClock().now());

    int primitives = 0;
    if (cRenderer* renderer = currentRenderer())
    {
        renderer->resetStatistics();
        std::pair<int, int> counts{0, 0};
        renderer->statistics(counts);
        primitives = counts.first;
    }
    if (statistics_)
    {
        ++frames_;
        primitives_ += primitives;
        const uint32_t now = frameClock().now();
        const uint32_t elapsed = now - statisticsStart_;
        if (elapsed > 1000)
        {
            char title[96];
            std::snprintf(title, sizeof title, "f/s:%2.2f MT/s:%2.3f  %d",
                          frames_ * 1000.0 / elapsed, primitives_ * 0.001 / elapsed, primitives);
            setWindowText(parentWindow_, title);
            frames_ = 0;
            primitives_ = 0;
            statisticsStart_ = now;
        }
    }
    unlock();
    sleepMs(focused_ ? 1 : 30);
}

// ---------------------------------------------------------------------------------------------
// The view window
// ---------------------------------------------------------------------------------------------

intptr_t cQeltViewer::viewProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                                    intptr_t lParam)
{
    if (message == WM_CREATE)
    {
        const auto* create = reinterpret_cast<const cCreateStruct*>(lParam);
        setUserData(window, reinterpret_cast<intptr_t>(create->createParam));
    }
    auto* viewer = reinterpret_cast<cQeltViewer*>(getUserData(window));
    if (viewer == nullptr)
        return defaultWindowProcedure(window, message, wParam, lParam);
    return viewer->handleViewMessage(window, message, wParam, lParam);
}

intptr_t cQeltViewer::handleViewMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                                        intptr_t lParam)
{
    switch (message)
    {
    case WM_DESTROY:
        debugf("interfaceWnd WM_DESTROY\n");
        postQuitMessage(0);
        return 0;
    case WM_SIZE:
    {
        lock();
        cRect rect;
        getClientRect(window, &rect);
        viewWidth_ = rect.width();
        viewHeight_ = rect.height();
        cRendererParams params;
        params.window = window;
        params.right = std::max(viewWidth_.load(), kMinimumSize);
        params.bottom = std::max(viewHeight_.load(), kMinimumSize);
        params.stereo = stereo_ ? 1 : 0;
        debugf("WM_SIZE : %d %d %s\n", viewWidth_.load(), viewHeight_.load(),
               fullscreen_ ? "fullscreen" : "windowed");
        cRenderer* renderer = currentRenderer();
        if (renderer != nullptr && renderer->targetCount() > 0)
            if (cRendererTargetHandle* target = renderer->target(0))
                target->reconfigure(params);
        unlock();
        return 0;
    }
    case WM_ACTIVATE:
        debugf("viewer ACTIVATE %d\n", wParam != WA_INACTIVE ? 1 : 0);
        active_ = wParam != WA_INACTIVE;
        return 0;
    case WM_SETFOCUS:
        focused_ = true;
        return 0;
    case WM_KILLFOCUS:
        focused_ = false;
        return 0;
    case WM_PAINT:
        validateWindow(window);
        return 0;
    case WM_CLOSE:
        debugf("interfaceWnd WM_CLOSE\n");
        running_ = false;
        return 0;
    case WM_SETCURSOR:
        setCursor(loadCursor(IDC_ARROW));
        return 1;
    case WM_KEYDOWN:
        switch (wParam)
        {
        case VK_ESCAPE:
        case VK_F12:
            postMessage(parentWindow_, WM_CLOSE, 0, 0);
            break;
        case VK_F2:
            fullscreen_ = !fullscreen_;
            applyWindowMode();
            break;
        case VK_F4:
            statistics_ = !statistics_;
            break;
        case VK_F5:
        case VK_F5 + 1:
        case VK_F5 + 2:
        case VK_F8:
            postMessage(parentWindow_, WM_CHAR, wParam, lParam);
            break;
        default:
            break;
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        if (getFocus() != window)
        {
            postMessage(parentWindow_, WM_COMMAND, 101, 0);
            setFocus(window);
        }
        return 0;
    case WM_ERASEBKGND:
        return 1;
    default:
        return defaultWindowProcedure(window, message, wParam, lParam);
    }
}

// ---------------------------------------------------------------------------------------------
// Loading
// ---------------------------------------------------------------------------------------------

void* cQeltViewer::startLoader(std::unique_ptr<cFile> file)
{
    std::lock_guard guard(threadLock_);
    if (loaderThread_.joinable())
        loaderThread_.join();
    loaderThread_ = std::thread(
        [this](std::unique_ptr<cFile> source) { loadScene(std::move(source)); }, std::move(file));
    return &loaderThread_;
}

void cQeltViewer::loadScene(std::unique_ptr<cFile> file)
{
    auto* progress = new cLoadingProgress;
    loadingProgress_ = progress;
    if (!fileManager()->mountArchive(std::move(file), progress))
        debugf("Scene archive not mounted\n");

    if (std::unique_ptr<cFile> mode{fileManager()->openFile("mode.dat")})
    {
        try
        {
            cStreamLoad reader(*mode);
            int32_t width = 0, height = 0, dr = 0, snd = 0;
            bool fullscreen = false, stereo = false;
            reader.io(width).io(height).io(fullscreen).io(stereo).io(dr).io(snd);
            modeWidth_ = width;
            modeHeight_ = height;
            fullscreen_ = fullscreen;
            stereo_ = stereo;
            dr_ = dr;
            debugf("Mode: %dx%d fs:%d st:%d dr:%d snd:%d\n", width, height, fullscreen ? 1 : 0,
                   stereo ? 1 : 0, dr, soundMode_);
        }
        catch (const cFileException&)
        {
            messagef("Cannot read mode.dat");
        }
    }

    cRect rect;
    getClientRect(parentWindow_, &rect);
    startView(parentWindow_, rect.left, rect.top, rect.width(), rect.height(), driverName());

    std::unique_ptr<cFile> core{fileManager()->openFile("core.dat")};
    if (!core)
    {
        // The progress screen stays.
        messagef("Cannot open file");
        return;
    }
    try
    {
        cStreamLoad reader(*core);
        char magic[4];
        for (char& c : magic)
        {
            uint8_t byte = 0;
            reader.io(byte);
            c = static_cast<char>(byte);
        }
        int32_t version = 0, width = 0, height = 0;
        bool flag1 = false, flag2 = false, playOnStart = false;
        reader.io(version).io(width).io(height).io(flag1).io(flag2).io(playOnStart);
        debugf("Scene header: version %d, %dx%d, play on start %d\n", version, width, height,
               playOnStart ? 1 : 0);
    }
    catch (const cFileException&)
    {
        messagef("Cannot read file");
        return;
    }

    // The renderer is up when the view runs; a view that could not start ends the wait.
    while (!running_ && !viewFailed_ && !closing_)
        sleepMs(50);
    if (!running_)
    {
        messagef("The view could not be started");
        return;
    }
    applyWindowMode();

    // Reading the scene stream itself comes here; until then the load ends with the header and
    // frames are rendered again.
    lock();
    fileManager()->releaseProgress();
    loadingProgress_ = nullptr;
    delete progress;
    unlock();
}

} // namespace qelt

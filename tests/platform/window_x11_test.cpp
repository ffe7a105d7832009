// The window system on a real X display (Xvfb, started here): native windows and children,
// titles and styles seen from another X client, input from the display reaching the owning
// thread, close requests, dropped files, and a GTK message box that keeps its caller's queue
// pumped.
#include "platform/message_box.h"
#include "platform/system.h"
#include "platform/window/message_queue.h"
#include "platform/window/window.h"
#include "tests/support/process.h"
#include "tests/support/x_peer.h"
#include "tests/support/xvfb.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

// GTK and its libraries keep caches for the life of the process.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions()
{
    return "leak:libgtk-3\nleak:libgdk-3\nleak:libglib-2\nleak:libgobject-2\nleak:libfontconfig\n"
           "leak:libpango\nleak:libcairo\nleak:libX11\nleak:libatk\nleak:libgio-2\nleak:libdbus-"
           "1\n";
}

// GTK's font set-up starts threads inside fontconfig and GLib, which are not built for the thread
// checker: it cannot see their own synchronisation.
extern "C" __attribute__((visibility("default"))) const char* __tsan_default_suppressions()
{
    return "race:libfontconfig.so\nrace:libpango\nrace:libglib-2\n";
}

namespace qelt::platform
{
namespace
{

testing::cXvfb* g_xvfb = nullptr;

// Starts the display before any window exists, so the window system picks X11.
class cDisplayEnvironment : public ::testing::Environment
{
  public:
    void SetUp() override
    {
        XInitThreads();
        g_xvfb = new testing::cXvfb;
        if (g_xvfb->available())
        {
            setEnvironment("DISPLAY", g_xvfb->display());
            setEnvironment("QELT_WINDOW_SYSTEM", std::string("x11"));
        }
    }
    void TearDown() override
    {
        // The window system lets go of the display before the server goes.
        shutdownWindowSystem();
        delete g_xvfb;
        g_xvfb = nullptr;
    }
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new cDisplayEnvironment);

// ---------------------------------------------------------------------------------------------
// What the procedures saw
// ---------------------------------------------------------------------------------------------

struct cSeen
{
    WindowHandle window;
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    std::thread::id thread;
};

std::mutex g_lock;
std::vector<cSeen> g_seen;
std::atomic<bool> g_insideBox{false};
std::atomic<int> g_handledInsideBox{0};

intptr_t recordingProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                            intptr_t lParam)
{
    {
        std::lock_guard<std::mutex> guard(g_lock);
        g_seen.push_back({window, message, wParam, lParam, std::this_thread::get_id()});
    }
    if (message == WM_USER + 1 && g_insideBox)
        ++g_handledInsideBox;
    return defaultWindowProcedure(window, message, wParam, lParam);
}

std::vector<cSeen> seen(WindowHandle window, uint32_t message)
{
    std::lock_guard<std::mutex> guard(g_lock);
    std::vector<cSeen> matching;
    for (const cSeen& s : g_seen)
    {
        if (s.window == window && s.message == message)
            matching.push_back(s);
    }
    return matching;
}

// Takes the calling thread's messages while waiting for something the display does; false when
// it never happens (a generous limit, so a missing event fails instead of hanging).
bool eventually(const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline)
    {
        cMessage message;
        while (peekMessage(&message, nullptr, 0, 0, PM_REMOVE))
        {
            translateMessage(message);
            dispatchMessage(message);
        }
        if (done())
            return true;
        waitMessageFor(std::chrono::milliseconds(10));
    }
    return done();
}

const char* const kClass = "qelt X11 Test";

class X11WindowTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        if (!g_xvfb->available())
            GTEST_SKIP() << g_xvfb->why();
        ASSERT_STREQ(windowSystemName(), "x11");
        registerWindowClass({kClass, CS_OWNDC, recordingProcedure, loadCursor(IDC_ARROW), 1});
        ASSERT_NE(peer_.display(), nullptr);
    }
    void TearDown() override
    {
        for (WindowHandle window : getTopLevelWindows())
        {
            if (isOwnWindow(window))
                destroyWindow(window);
        }
        cMessage message;
        while (peekMessage(&message, nullptr, 0, 0, PM_REMOVE))
            validateWindow(message.window);
    }

    static WindowHandle createTopLevel(const std::string& title, int width, int height)
    {
        cCreateWindow params;
        params.className = kClass;
        params.title = title;
        params.style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VISIBLE;
        params.width = width;
        params.height = height;
        return createWindow(params);
    }

    testing::cXPeer peer_{g_xvfb->display()};
};

// ---------------------------------------------------------------------------------------------
// Windows on the display
// ---------------------------------------------------------------------------------------------

TEST_F(X11WindowTest, WindowsAreRealWithTheirTitleSizeStyleAndChildren)
{
    WindowHandle window = createTopLevel("qelt Viewer", 800, 600);
    ASSERT_NE(window, nullptr);
    ::Window native = 0;
    ASSERT_TRUE(eventually(
        [&]
        {
            native = peer_.findTopLevel("qelt Viewer");
            return native != 0 && peer_.attributes(native).map_state == IsViewable;
        }));
    EXPECT_EQ(nativeWindow(window), native) << "the renderer draws into this one";
    EXPECT_NE(nativeDisplay(), nullptr);
    XWindowAttributes attributes = peer_.attributes(native);
    EXPECT_EQ(attributes.width, 800);
    EXPECT_EQ(attributes.height, 600);

    // The engine's view: a child made by another thread is a native child window.
    std::promise<WindowHandle> made;
    std::thread view(
        [&]
        {
            cCreateWindow params;
            params.className = kClass;
            params.parent = window;
            params.style = WS_CHILD | WS_VISIBLE;
            params.width = 800;
            params.height = 600;
            made.set_value(createWindow(params));
            cMessage message;
            while (getMessage(&message, nullptr, 0, 0) > 0)
                dispatchMessage(message);
        });
    std::future<WindowHandle> child = made.get_future();
    ASSERT_TRUE(eventually(
        [&] { return child.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    const WindowHandle viewWindow = child.get();
    ASSERT_NE(viewWindow, nullptr);
    EXPECT_EQ(peer_.children(native), std::vector<::Window>{nativeWindow(viewWindow)});

    // The statistics line goes into the title.
    ASSERT_TRUE(setWindowText(window, "f/s:60.00 MT/s:0.100  12"));
    EXPECT_TRUE(eventually([&] { return peer_.name(native) == "f/s:60.00 MT/s:0.100  12"; }));

    // Fullscreen: a popup covering the screen.
    const cPoint screen = screenSize();
    EXPECT_EQ(screen.x, 1280);
    EXPECT_EQ(screen.y, 1024);
    setWindowStyle(window, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
    moveWindow(window, 0, 0, screen.x, screen.y, true);
    EXPECT_TRUE(eventually([&] { return peer_.attributes(native).width == 1280; }));
    EXPECT_EQ(peer_.attributes(native).height, 1024);

    postThreadMessage(view.get_id(), WM_QUIT, 0, 0);
    view.join();
    EXPECT_TRUE(eventually([&] { return peer_.children(native).empty(); }))
        << "the view's window went with its thread";
}

TEST_F(X11WindowTest, KeysClicksAndCloseRequestsReachTheOwningThread)
{
    std::promise<WindowHandle> made;
    std::thread owner(
        [&]
        {
            WindowHandle window = createTopLevel("qelt Input", 400, 300);
            made.set_value(window);
            cMessage message;
            while (getMessage(&message, nullptr, 0, 0) > 0)
            {
                translateMessage(message);
                dispatchMessage(message);
                if (message.message == WM_CLOSE)
                    postQuitMessage(0);
            }
        });
    WindowHandle window = made.get_future().get();
    ASSERT_NE(window, nullptr);
    ::Window native = 0;
    ASSERT_TRUE(eventually(
        [&]
        {
            native = peer_.findTopLevel("qelt Input");
            return native != 0 && peer_.attributes(native).map_state == IsViewable;
        }));
    setFocus(window);

    const std::string xdotool = testing::findProgram("xdotool");
    ASSERT_FALSE(xdotool.empty()) << "xdotool is installed by scripts/install-deps";
    const testing::EnvironmentChanges display{{"DISPLAY", g_xvfb->display()}};
    ASSERT_EQ(testing::runProcess(xdotool, {"key", "F5", "a"}, display).exitCode, 0);
    ASSERT_EQ(testing::runProcess(
                  xdotool,
                  {"mousemove", "--window", std::to_string(native), "30", "40", "click", "1"},
                  display)
                  .exitCode,
              0);

    ASSERT_TRUE(eventually([&] { return !seen(window, WM_LBUTTONUP).empty(); }));
    std::vector<cSeen> keys = seen(window, WM_KEYDOWN);
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].wParam, VK_F5);
    EXPECT_EQ(keys[1].wParam, uintptr_t('A'));
    EXPECT_EQ(keys[0].thread, owner.get_id());
    std::vector<cSeen> characters = seen(window, WM_CHAR);
    ASSERT_EQ(characters.size(), 1u);
    EXPECT_EQ(characters[0].wParam, uintptr_t('a'));
    std::vector<cSeen> clicks = seen(window, WM_LBUTTONDOWN);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(signedLowWord(clicks[0].lParam), 30);
    EXPECT_EQ(signedHighWord(clicks[0].lParam), 40);
    EXPECT_EQ(clicks[0].thread, owner.get_id());

    // The window manager's close button.
    peer_.closeBox(native);
    owner.join();
    EXPECT_EQ(seen(window, WM_CLOSE).size(), 1u);
    EXPECT_FALSE(isWindow(window));
    // The native window goes away through another display connection: wait for it.
    EXPECT_TRUE(eventually([&] { return peer_.findTopLevel("qelt Input") == 0; }));
}

TEST_F(X11WindowTest, FilesDraggedOntoAWindowThatAcceptsThemArriveAsADrop)
{
    WindowHandle window = createTopLevel("qelt Drop", 400, 300);
    setWindowExStyle(window, WS_EX_ACCEPTFILES);
    ::Window native = 0;
    ASSERT_TRUE(eventually(
        [&]
        {
            native = peer_.findTopLevel("qelt Drop");
            return native != 0 && peer_.attributes(native).map_state == IsViewable;
        }));
    cRect rect;
    ASSERT_TRUE(getWindowRect(window, &rect));

    // The peer plays the drag source: it owns the selection and answers with a URI list.
    Display* d = peer_.display();
    const ::Window source = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(d, source, PropertyChangeMask);
    const Atom selection = XInternAtom(d, "XdndSelection", False);
    const Atom uriList = XInternAtom(d, "text/uri-list", False);
    XSetSelectionOwner(d, selection, source, CurrentTime);
    peer_.clientMessage(native, "XdndEnter", static_cast<long>(source), 5L << 24,
                        static_cast<long>(uriList));
    const long position = ((rect.left + 20L) << 16) | (rect.top + 30L);
    peer_.clientMessage(native, "XdndPosition", static_cast<long>(source), 0, position, CurrentTime,
                        static_cast<long>(XInternAtom(d, "XdndActionCopy", False)));
    peer_.clientMessage(native, "XdndDrop", static_cast<long>(source), 0, CurrentTime);

    const std::string list = "file:///tmp/scene%20one.arc\r\nfile://host/tmp/two.arc\r\n";
    bool answered = false;
    bool finished = false;
    ASSERT_TRUE(eventually(
        [&]
        {
            while (XPending(d) > 0)
            {
                XEvent event;
                XNextEvent(d, &event);
                if (event.type == SelectionRequest)
                {
                    const XSelectionRequestEvent& request = event.xselectionrequest;
                    XChangeProperty(d, request.requestor, request.property, uriList, 8,
                                    PropModeReplace,
                                    reinterpret_cast<const unsigned char*>(list.data()),
                                    static_cast<int>(list.size()));
                    XEvent reply{};
                    reply.xselection.type = SelectionNotify;
                    reply.xselection.requestor = request.requestor;
                    reply.xselection.selection = request.selection;
                    reply.xselection.target = request.target;
                    reply.xselection.property = request.property;
                    reply.xselection.time = request.time;
                    XSendEvent(d, request.requestor, False, NoEventMask, &reply);
                    XFlush(d);
                    answered = true;
                }
                if (event.type == ClientMessage &&
                    event.xclient.message_type == XInternAtom(d, "XdndFinished", False))
                    finished = event.xclient.data.l[1] == 1;
            }
            return finished && !seen(window, WM_DROPFILES).empty();
        }));
    EXPECT_TRUE(answered);
    std::vector<cSeen> drops = seen(window, WM_DROPFILES);
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_EQ(droppedFiles(drops[0].wParam),
              (std::vector<std::string>{"/tmp/scene one.arc", "/tmp/two.arc"}));
    cPoint point;
    ASSERT_TRUE(dropPoint(drops[0].wParam, &point));
    EXPECT_EQ(point.x, 20);
    EXPECT_EQ(point.y, 30);
    finishDrop(drops[0].wParam);
    XDestroyWindow(d, source);
}

TEST_F(X11WindowTest, AMessageBoxIsADialogWhileTheCallersQueueKeepsRunning)
{
    WindowHandle window = createTopLevel("qelt Host", 400, 300);
    g_handledInsideBox = 0;
    const std::string xdotool = testing::findProgram("xdotool");
    ASSERT_FALSE(xdotool.empty());

    // Another thread finds the dialog, posts to the caller's window while the box is up, and
    // answers the box from the keyboard once that message has run.
    std::atomic<bool> sawDialog{false};
    std::thread user(
        [&]
        {
            testing::cXPeer peer(g_xvfb->display());
            ::Window dialog = 0;
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while ((dialog = peer.findTopLevel("qelt Question")) == 0 &&
                   std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            sawDialog = dialog != 0;
            postMessage(window, WM_USER + 1, 0, 0);
            while (g_handledInsideBox == 0 && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            testing::runProcess(xdotool,
                                {"windowfocus", "--sync", std::to_string(dialog), "key", "Return"},
                                {{"DISPLAY", g_xvfb->display()}});
        });

    g_insideBox = true;
    const MessageBoxAnswer answer = messageBox("qelt Question", "Overwrite the viewer?",
                                               MessageBoxButtons::YesNo, MessageBoxIcon::Warning);
    g_insideBox = false;
    user.join();

    EXPECT_TRUE(sawDialog);
    EXPECT_EQ(g_handledInsideBox, 1) << "the caller's queue ran while the box was up";
    EXPECT_EQ(answer, MessageBoxAnswer::Yes) << "Return takes the default button";
    // The native window goes away through another display connection: wait for it.
    EXPECT_TRUE(eventually([&] { return peer_.findTopLevel("qelt Question") == 0; }));
}

} // namespace
} // namespace qelt::platform

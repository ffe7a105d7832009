// The window system without a display: queues across threads, sending, subclassing, quitting,
// painting, focus, injected input, window operations, refused input and modal message boxes.
#include "platform/message_box.h"
#include "platform/system.h"
#include "platform/window/input.h"
#include "platform/window/message_queue.h"
#include "platform/window/window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qelt::platform
{
namespace
{

// These tests drive virtual windows, whatever display the test command has; the backend is
// chosen on first use, after this.
const bool g_headless = setEnvironment("QELT_WINDOW_SYSTEM", std::string("headless"));

// ---------------------------------------------------------------------------------------------
// What the procedures saw
// ---------------------------------------------------------------------------------------------

struct cSeen
{
    std::string who; // which procedure
    WindowHandle window;
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    std::thread::id thread;
};

std::mutex g_seenLock;
std::vector<cSeen> g_seen;

void forget()
{
    std::lock_guard<std::mutex> guard(g_seenLock);
    g_seen.clear();
}

void record(const char* who, WindowHandle window, uint32_t message, uintptr_t wParam,
            intptr_t lParam)
{
    std::lock_guard<std::mutex> guard(g_seenLock);
    g_seen.push_back({who, window, message, wParam, lParam, std::this_thread::get_id()});
}

std::vector<cSeen> seen(uint32_t message)
{
    std::lock_guard<std::mutex> guard(g_seenLock);
    std::vector<cSeen> matching;
    for (const cSeen& s : g_seen)
    {
        if (s.message == message)
            matching.push_back(s);
    }
    return matching;
}

std::vector<uint32_t> seenMessages(WindowHandle window)
{
    std::lock_guard<std::mutex> guard(g_seenLock);
    std::vector<uint32_t> messages;
    for (const cSeen& s : g_seen)
    {
        if (s.window == window)
            messages.push_back(s.message);
    }
    return messages;
}

// Records everything; WM_USER+7 answers its wParam doubled; WM_DESTROY ends the thread's loop.
intptr_t recordingProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                            intptr_t lParam)
{
    record("base", window, message, wParam, lParam);
    if (message == WM_USER + 7)
        return static_cast<intptr_t>(wParam * 2);
    if (message == WM_DESTROY)
        postQuitMessage(0);
    return defaultWindowProcedure(window, message, wParam, lParam);
}

const char* const kClass = "qelt Test";

// Every test starts with an empty queue on the main thread and a registered class, and leaves
// no window behind.
class WindowTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_STREQ(windowSystemName(), "headless");
        registerWindowClass({kClass, 0, recordingProcedure, nullptr, 0});
        drain();
        forget();
    }
    void TearDown() override
    {
        for (WindowHandle window : getTopLevelWindows())
        {
            if (isOwnWindow(window))
                destroyWindow(window);
        }
        drain();
        setFocus(nullptr);
        releaseCapture();
    }

    static void drain()
    {
        cMessage message;
        while (peekMessage(&message, nullptr, 0, 0, PM_REMOVE))
        {
            if (message.message == WM_PAINT)
                validateWindow(message.window);
        }
    }

    static WindowHandle create(const std::string& title = "w", WindowHandle parent = nullptr,
                               uint32_t style = 0)
    {
        cCreateWindow params;
        params.className = kClass;
        params.title = title;
        params.parent = parent;
        params.style = style | (parent != nullptr ? WS_CHILD : 0u);
        params.x = 10;
        params.y = 20;
        params.width = 300;
        params.height = 200;
        return createWindow(params);
    }

    // Takes what is queued without waiting, dispatching each message.
    static std::vector<cMessage> pump()
    {
        std::vector<cMessage> taken;
        cMessage message;
        while (peekMessage(&message, nullptr, 0, 0, PM_REMOVE))
        {
            taken.push_back(message);
            if (message.message == WM_QUIT)
                break;
            translateMessage(message);
            dispatchMessage(message);
        }
        return taken;
    }
};

// A window owned by a thread of its own, running an ordinary message loop until WM_QUIT.
class cWindowThread
{
  public:
    explicit cWindowThread(WindowHandle parent = nullptr)
    {
        std::promise<WindowHandle> created;
        std::future<WindowHandle> future = created.get_future();
        thread_ = std::thread(
            [this, parent, &created]
            {
                cCreateWindow params;
                params.className = kClass;
                params.title = "thread";
                params.parent = parent;
                params.style = parent != nullptr ? WS_CHILD | WS_VISIBLE : 0;
                params.width = 100;
                params.height = 50;
                created.set_value(createWindow(params));
                cMessage message;
                while (getMessage(&message, nullptr, 0, 0) > 0)
                {
                    translateMessage(message);
                    dispatchMessage(message);
                }
            });
        id_ = thread_.get_id();
        // A child tells its parent while it is created, so the parent's thread (this one) keeps
        // taking messages meanwhile, as a program's message loop would.
        while (future.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
        {
            cMessage message;
            while (peekMessage(&message, nullptr, 0, 0, PM_REMOVE))
                dispatchMessage(message);
            waitMessageFor(std::chrono::milliseconds(5));
        }
        window_ = future.get();
    }
    ~cWindowThread() { stop(); }

    void stop()
    {
        if (thread_.joinable())
        {
            postThreadMessage(id_, WM_QUIT, 0, 0);
            thread_.join();
        }
    }

    WindowHandle window() const { return window_; }
    std::thread::id id() const { return id_; }

  private:
    std::thread thread_;
    std::thread::id id_;
    WindowHandle window_ = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Queues across threads
// ---------------------------------------------------------------------------------------------

TEST_F(WindowTest, MessagesPostedFromManyThreadsRunOnTheOwnerInOrderPerPoster)
{
    cWindowThread owner;
    ASSERT_NE(owner.window(), nullptr);
    constexpr int kPosters = 4;
    constexpr int kEach = 50;
    std::vector<std::thread> posters;
    for (int p = 0; p < kPosters; ++p)
    {
        posters.emplace_back(
            [&, p]
            {
                for (int i = 0; i < kEach; ++i)
                    ASSERT_TRUE(postMessage(owner.window(), WM_USER + 1, p, i));
            });
    }
    for (std::thread& poster : posters)
        poster.join();
    // Sent after every post, so it runs after them.
    ASSERT_EQ(sendMessage(owner.window(), WM_USER + 7, 21, 0), 42);
    owner.stop();

    std::vector<cSeen> got = seen(WM_USER + 1);
    ASSERT_EQ(got.size(), size_t(kPosters * kEach));
    std::vector<intptr_t> next(kPosters, 0);
    for (const cSeen& s : got)
    {
        EXPECT_EQ(s.thread, owner.id());
        EXPECT_EQ(s.lParam, next[s.wParam]++) << "poster " << s.wParam << " out of order";
    }
}

TEST_F(WindowTest, SendWaitsForTheOwnerAndRunsWhatTheOwnerSendsBack)
{
    WindowHandle mine = create("main");
    cWindowThread owner;
    // The owner's procedure answers WM_USER+7 itself; here its window is subclassed so that it
    // first sends to the main thread's window, which can only run while the main thread waits.
    static WindowHandle s_back;
    static WindowProcedure s_previous;
    s_back = mine;
    s_previous =
        setWindowProcedure(owner.window(),
                           [](WindowHandle w, uint32_t m, uintptr_t wp, intptr_t lp) -> intptr_t
                           {
                               if (m == WM_USER + 7)
                               {
                                   record("owner", w, m, wp, lp);
                                   const intptr_t back = sendMessage(s_back, WM_USER + 7, wp, 0);
                                   return back + 1;
                               }
                               return callWindowProcedure(s_previous, w, m, wp, lp);
                           });
    ASSERT_NE(s_previous, nullptr);

    EXPECT_EQ(sendMessage(owner.window(), WM_USER + 7, 5, 0), 11);
    std::vector<cSeen> got = seen(WM_USER + 7);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].who, "owner");
    EXPECT_EQ(got[0].thread, owner.id());
    EXPECT_EQ(got[1].window, mine);
    EXPECT_EQ(got[1].thread, std::this_thread::get_id());
}

TEST_F(WindowTest, AThreadThatEndsTakesItsWindowsAndSendsToThemAnswerZero)
{
    WindowHandle gone = nullptr;
    {
        cWindowThread owner;
        gone = owner.window();
        ASSERT_TRUE(isWindow(gone));
        EXPECT_FALSE(isOwnWindow(gone));
    }
    EXPECT_FALSE(isWindow(gone));
    EXPECT_EQ(sendMessage(gone, WM_USER + 7, 5, 0), 0);
    EXPECT_FALSE(postMessage(gone, WM_USER, 0, 0));
}

// ---------------------------------------------------------------------------------------------
// Subclassing and quitting
// ---------------------------------------------------------------------------------------------

WindowProcedure g_beforeInner = nullptr;
WindowProcedure g_beforeOuter = nullptr;

intptr_t innerHook(WindowHandle w, uint32_t m, uintptr_t wp, intptr_t lp)
{
    record("inner", w, m, wp, lp);
    return callWindowProcedure(g_beforeInner, w, m, wp, lp);
}

// Swallows WM_USER+2; passes everything else on.
intptr_t outerHook(WindowHandle w, uint32_t m, uintptr_t wp, intptr_t lp)
{
    record("outer", w, m, wp, lp);
    if (m == WM_USER + 2)
        return 99;
    return callWindowProcedure(g_beforeOuter, w, m, wp, lp);
}

TEST_F(WindowTest, SubclassingRunsTheNewestProcedureFirstAndRestoringUndoesIt)
{
    WindowHandle window = create();
    g_beforeInner = setWindowProcedure(window, innerHook);
    EXPECT_EQ(g_beforeInner, &recordingProcedure);
    g_beforeOuter = setWindowProcedure(window, outerHook);
    EXPECT_EQ(g_beforeOuter, &innerHook);

    EXPECT_EQ(sendMessage(window, WM_USER + 7, 4, 0), 8);
    EXPECT_EQ(sendMessage(window, WM_USER + 2, 0, 0), 99);
    {
        std::lock_guard<std::mutex> guard(g_seenLock);
        std::vector<std::string> order;
        for (const cSeen& s : g_seen)
        {
            if (s.message == WM_USER + 7 || s.message == WM_USER + 2)
                order.push_back(s.who + ":" + std::to_string(s.message - WM_USER));
        }
        EXPECT_EQ(order, (std::vector<std::string>{"outer:7", "inner:7", "base:7", "outer:2"}));
    }

    // Putting back what the first replacement returned removes both hooks.
    EXPECT_EQ(setWindowProcedure(window, g_beforeInner), &outerHook);
    EXPECT_EQ(getWindowProcedure(window), &recordingProcedure);
    EXPECT_EQ(setWindowProcedure(window, nullptr), nullptr) << "a null procedure is refused";
    EXPECT_EQ(getWindowProcedure(window), &recordingProcedure);
}

TEST_F(WindowTest, QuitEndsTheLoopAfterTheMessagesPostedBeforeIt)
{
    WindowHandle window = create();
    drain();
    postMessage(window, WM_USER + 1, 1, 0);
    postMessage(nullptr, WM_USER + 1, 2, 0);
    postQuitMessage(7);
    postMessage(window, WM_USER + 1, 3, 0);

    std::vector<uintptr_t> order;
    cMessage message;
    int result = 0;
    while ((result = getMessage(&message, nullptr, 0, 0)) > 0)
    {
        order.push_back(message.wParam);
        dispatchMessage(message);
    }
    EXPECT_EQ(result, 0);
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(message.wParam, 7u);
    // Posted messages come first, whenever they were posted; the quit is taken once.
    EXPECT_EQ(order, (std::vector<uintptr_t>{1, 2, 3}));
    EXPECT_FALSE(peekMessage(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowTest, PeekFiltersByWindowAndRangeAndCanLeaveTheMessage)
{
    WindowHandle a = create("a");
    WindowHandle b = create("b");
    drain();
    postMessage(a, WM_USER + 1, 1, 0);
    postMessage(b, WM_USER + 2, 2, 0);

    cMessage message;
    ASSERT_TRUE(peekMessage(&message, b, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(message.wParam, 2u);
    ASSERT_TRUE(peekMessage(&message, nullptr, WM_USER + 2, WM_USER + 2, PM_REMOVE));
    EXPECT_EQ(message.window, b);
    EXPECT_FALSE(peekMessage(&message, b, 0, 0, PM_REMOVE));
    ASSERT_TRUE(peekMessage(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.window, a);
}

// ---------------------------------------------------------------------------------------------
// Painting
// ---------------------------------------------------------------------------------------------

TEST_F(WindowTest, PaintRequestsCoalesceComeLastAndLastUntilValidated)
{
    WindowHandle window = create();
    drain();
    invalidateWindow(window, false);
    invalidateWindow(window, true);
    invalidateWindow(window, false);
    postMessage(window, WM_USER + 1, 0, 0);

    cMessage message;
    ASSERT_TRUE(peekMessage(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_USER + 1u) << "posted messages come before paint";
    ASSERT_TRUE(peekMessage(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_PAINT);
    ASSERT_TRUE(peekMessage(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_PAINT) << "taking WM_PAINT does not validate";

    // The default handling erases (one erase was asked for) and validates: one paint in all.
    dispatchMessage(message);
    EXPECT_FALSE(needsPaint(window));
    EXPECT_FALSE(peekMessage(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(seen(WM_PAINT).size(), 1u);
    EXPECT_EQ(seen(WM_ERASEBKGND).size(), 1u);

    // Without an erase request, nothing is erased.
    invalidateWindow(window, false);
    EXPECT_TRUE(updateWindow(window));
    EXPECT_EQ(seen(WM_PAINT).size(), 2u);
    EXPECT_EQ(seen(WM_ERASEBKGND).size(), 1u);
}

// ---------------------------------------------------------------------------------------------
// Children, focus and activation
// ---------------------------------------------------------------------------------------------

TEST_F(WindowTest, AChildOfAnotherThreadTellsItsParentAndGoesWithIt)
{
    // The engine's case: the host's window on one thread, the view window on another.
    WindowHandle parent = create("host", nullptr, WS_VISIBLE);
    cWindowThread view(parent);
    WindowHandle child = view.window();
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(getParent(child), parent);
    EXPECT_EQ(getChildren(parent), std::vector<WindowHandle>{child});

    std::vector<cSeen> notes = seen(WM_PARENTNOTIFY);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].window, parent);
    EXPECT_EQ(notes[0].wParam, WM_CREATE);
    EXPECT_EQ(notes[0].lParam, reinterpret_cast<intptr_t>(child));
    EXPECT_EQ(notes[0].thread, std::this_thread::get_id());

    cRect rect;
    ASSERT_TRUE(getWindowRect(child, &rect));
    EXPECT_EQ(rect.left, 10) << "a child sits inside its parent";
    EXPECT_EQ(rect.top, 20);

    ASSERT_TRUE(destroyWindow(parent));
    EXPECT_FALSE(isWindow(child));
    std::vector<cSeen> destroyed = seen(WM_DESTROY);
    ASSERT_EQ(destroyed.size(), 2u);
    EXPECT_EQ(destroyed[0].window, parent);
    EXPECT_EQ(destroyed[1].window, child);
    EXPECT_EQ(destroyed[1].thread, view.id()) << "the child is destroyed on its own thread";
}

TEST_F(WindowTest, FocusMovesWithKillAndSetFocusAndActivatesTheTopLevelWindow)
{
    WindowHandle first = create("first");
    WindowHandle second = create("second");
    WindowHandle child = create("child", second, WS_VISIBLE);
    setFocus(first);
    forget();

    EXPECT_EQ(setFocus(child), first);
    EXPECT_EQ(getFocus(), child);
    EXPECT_EQ(getActiveWindow(), second);

    std::vector<cSeen> kill = seen(WM_KILLFOCUS);
    std::vector<cSeen> set = seen(WM_SETFOCUS);
    std::vector<cSeen> activate = seen(WM_ACTIVATE);
    ASSERT_EQ(kill.size(), 1u);
    ASSERT_EQ(set.size(), 1u);
    ASSERT_EQ(activate.size(), 2u);
    EXPECT_EQ(kill[0].window, first);
    EXPECT_EQ(kill[0].wParam, reinterpret_cast<uintptr_t>(child));
    EXPECT_EQ(set[0].window, child);
    EXPECT_EQ(set[0].wParam, reinterpret_cast<uintptr_t>(first));
    EXPECT_EQ(activate[0].window, first);
    EXPECT_EQ(activate[0].wParam, WA_INACTIVE);
    EXPECT_EQ(activate[1].window, second);
    EXPECT_EQ(activate[1].wParam, WA_ACTIVE);

    // The display taking the focus away reaches the window's own thread as messages.
    ASSERT_TRUE(deliverFocus(second, false));
    pump();
    EXPECT_EQ(getFocus(), nullptr);
    EXPECT_EQ(getActiveWindow(), nullptr);
    ASSERT_TRUE(deliverFocus(first, true));
    pump();
    EXPECT_EQ(getFocus(), first);
}

// ---------------------------------------------------------------------------------------------
// Injected input
// ---------------------------------------------------------------------------------------------

struct cKeyCase
{
    const char* name;
    uint32_t key;
    uint32_t character;
};

class KeyInput : public WindowTest, public ::testing::WithParamInterface<cKeyCase>
{
};

TEST_P(KeyInput, ArrivesAsKeyDownCharacterAndKeyUp)
{
    const cKeyCase& c = GetParam();
    WindowHandle window = create();
    drain();
    ASSERT_TRUE(deliverKey(window, c.key, true, c.character));
    ASSERT_TRUE(deliverKey(window, c.key, true, c.character)); // held: a repeat
    ASSERT_TRUE(deliverKey(window, c.key, false));
    pump();

    std::vector<uint32_t> expected = {WM_KEYDOWN, WM_KEYDOWN, WM_KEYUP};
    if (c.character != 0)
        expected = {WM_KEYDOWN, WM_CHAR, WM_KEYDOWN, WM_CHAR, WM_KEYUP};
    std::vector<uint32_t> got;
    for (uint32_t m : seenMessages(window))
    {
        if (m == WM_KEYDOWN || m == WM_KEYUP || m == WM_CHAR)
            got.push_back(m);
    }
    EXPECT_EQ(got, expected);
    std::vector<cSeen> downs = seen(WM_KEYDOWN);
    ASSERT_EQ(downs.size(), 2u);
    EXPECT_EQ(downs[0].wParam, c.key);
    EXPECT_EQ(downs[0].lParam & kKeyPreviouslyDown, 0);
    EXPECT_NE(downs[1].lParam & kKeyPreviouslyDown, 0);
    std::vector<cSeen> ups = seen(WM_KEYUP);
    ASSERT_EQ(ups.size(), 1u);
    EXPECT_NE(ups[0].lParam & kKeyReleased, 0);
    for (const cSeen& s : seen(WM_CHAR))
        EXPECT_EQ(s.wParam, c.character);
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyInput,
                         ::testing::Values(cKeyCase{"escape", VK_ESCAPE, 27},
                                           cKeyCase{"f2_has_no_character", VK_F2, 0},
                                           cKeyCase{"letter", 'A', 'a'}, cKeyCase{"f5", VK_F5, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, MouseMessagesCarryPositionButtonsAndGoToTheCapture)
{
    WindowHandle window = create("a");
    WindowHandle other = create("b"); // at the same place: (10, 20)
    moveWindow(other, 110, 20, 300, 200, false);
    drain();

    ASSERT_TRUE(deliverMouseButton(window, MouseButton::Left, true, 5, 6));
    pump();
    std::vector<cSeen> downs = seen(WM_LBUTTONDOWN);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(signedLowWord(downs[0].lParam), 5);
    EXPECT_EQ(signedHighWord(downs[0].lParam), 6);
    EXPECT_EQ(downs[0].wParam & MK_LBUTTON, MK_LBUTTON);
    std::vector<cSeen> cursor = seen(WM_SETCURSOR);
    ASSERT_EQ(cursor.size(), 1u);
    EXPECT_EQ(highWord(cursor[0].lParam), int(WM_LBUTTONDOWN));
    cPoint pointer;
    ASSERT_TRUE(getCursorPos(&pointer));
    EXPECT_EQ(pointer.x, 15);
    EXPECT_EQ(pointer.y, 26);

    // Captured: a move over window arrives at other, in other's coordinates (100 px right).
    EXPECT_EQ(setCapture(other), nullptr);
    ASSERT_TRUE(deliverMouseMove(window, 5, 6));
    ASSERT_TRUE(deliverMouseButton(window, MouseButton::Right, true, 5, 6));
    pump();
    std::vector<cSeen> moves = seen(WM_MOUSEMOVE);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].window, other);
    EXPECT_EQ(signedLowWord(moves[0].lParam), -95);
    EXPECT_EQ(moves[0].wParam & (MK_LBUTTON | MK_RBUTTON), MK_LBUTTON);
    std::vector<cSeen> rights = seen(WM_RBUTTONDOWN);
    ASSERT_EQ(rights.size(), 1u);
    EXPECT_EQ(rights[0].wParam & (MK_LBUTTON | MK_RBUTTON), MK_LBUTTON | MK_RBUTTON);
    EXPECT_EQ(getCapture(), other);
    EXPECT_TRUE(releaseCapture());
    EXPECT_EQ(getCapture(), nullptr);
    deliverMouseButton(window, MouseButton::Left, false, 5, 6);
    deliverMouseButton(window, MouseButton::Right, false, 5, 6);
}

TEST_F(WindowTest, DroppedFilesAreReadThroughTheDropHandle)
{
    WindowHandle window = create();
    drain();
    ASSERT_TRUE(deliverFileDrop(window, {"/tmp/a.arc", "/tmp/b c.arc"}, 7, 8));
    EXPECT_FALSE(deliverFileDrop(window, {}, 0, 0)) << "an empty drop is no drop";
    pump();
    std::vector<cSeen> drops = seen(WM_DROPFILES);
    ASSERT_EQ(drops.size(), 1u);
    const uintptr_t drop = drops[0].wParam;
    EXPECT_EQ(droppedFiles(drop), (std::vector<std::string>{"/tmp/a.arc", "/tmp/b c.arc"}));
    cPoint point;
    ASSERT_TRUE(dropPoint(drop, &point));
    EXPECT_EQ(point.x, 7);
    EXPECT_EQ(point.y, 8);
    finishDrop(drop);
    EXPECT_TRUE(droppedFiles(drop).empty());
    EXPECT_FALSE(dropPoint(drop, &point));
}

TEST_F(WindowTest, DisplayGeometryReportsOnlyWhatChanged)
{
    WindowHandle window = create();
    drain();
    forget();
    ASSERT_TRUE(deliverGeometry(window, 10, 20, 300, 200)); // as it is: nothing
    ASSERT_TRUE(deliverGeometry(window, 10, 20, 640, 480));
    ASSERT_TRUE(deliverCloseRequest(window));
    pump();
    EXPECT_EQ(seen(WM_MOVE).size(), 0u);
    std::vector<cSeen> sizes = seen(WM_SIZE);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(lowWord(sizes[0].lParam), 640);
    EXPECT_EQ(highWord(sizes[0].lParam), 480);
    // WM_CLOSE's default handling destroyed the window.
    EXPECT_FALSE(isWindow(window));
    EXPECT_EQ(seen(WM_DESTROY).size(), 1u);
}

// ---------------------------------------------------------------------------------------------
// Window operations
// ---------------------------------------------------------------------------------------------

TEST_F(WindowTest, TitleGeometryStyleAndVisibility)
{
    WindowHandle window = create("qelt Viewer", nullptr, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    EXPECT_EQ(getWindowText(window), "qelt Viewer");
    EXPECT_EQ(getClassName(window), kClass);
    EXPECT_TRUE(isWindowVisible(window));
    EXPECT_EQ(getActiveWindow(), window) << "shown top-level windows are activated";
    ASSERT_TRUE(setWindowText(window, "f/s:60.00 MT/s:0.100  12"));
    EXPECT_EQ(getWindowText(window), "f/s:60.00 MT/s:0.100  12");

    ASSERT_TRUE(moveWindow(window, 0, 0, 800, 600, false));
    cRect rect;
    ASSERT_TRUE(getClientRect(window, &rect));
    EXPECT_EQ(rect.width(), 800);
    EXPECT_EQ(rect.height(), 600);
    std::vector<cSeen> sizes = seen(WM_SIZE);
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(lowWord(sizes.back().lParam), 800);

    // Windowed to fullscreen and back, as the engine switches.
    const cPoint screen = screenSize();
    EXPECT_GT(screen.x, 0);
    const uint32_t popup = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
    EXPECT_EQ(setWindowStyle(window, popup), WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    ASSERT_TRUE(moveWindow(window, 0, 0, screen.x, screen.y, true));
    EXPECT_EQ(getWindowStyle(window), popup);
    EXPECT_TRUE(setTopmost(window, true));
    EXPECT_EQ(getWindowExStyle(window) & WS_EX_TOPMOST, WS_EX_TOPMOST);
    EXPECT_TRUE(setTopmost(window, false));
    EXPECT_EQ(getWindowExStyle(window) & WS_EX_TOPMOST, 0u);

    EXPECT_TRUE(showWindow(window, SW_HIDE));
    EXPECT_FALSE(isWindowVisible(window));
    EXPECT_FALSE(showWindow(window, SW_HIDE));
    std::vector<cSeen> shown = seen(WM_SHOWWINDOW);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].wParam, 1u);
    EXPECT_EQ(shown[1].wParam, 0u);

    EXPECT_EQ(nativeWindow(window), 0u) << "virtual windows have no native window";
    EXPECT_EQ(nativeDisplay(), nullptr);

    EXPECT_EQ(setUserData(window, 1234), 0);
    EXPECT_EQ(getUserData(window), 1234);
}

TEST_F(WindowTest, CursorRequestsAskTheParentFirstThenShowTheClassCursor)
{
    static int s_parentAnswer = 0;
    registerWindowClass({"qelt Test Parent", 0,
                         [](WindowHandle w, uint32_t m, uintptr_t wp, intptr_t lp) -> intptr_t
                         {
                             if (m == WM_SETCURSOR)
                                 return s_parentAnswer;
                             return defaultWindowProcedure(w, m, wp, lp);
                         },
                         nullptr, 0});
    registerWindowClass({"qelt Test Hand", 0, defaultWindowProcedure, loadCursor(IDC_HAND), 0});
    cCreateWindow params;
    params.className = "qelt Test Parent";
    WindowHandle parent = createWindow(params);
    params.className = "qelt Test Hand";
    params.parent = parent;
    params.style = WS_CHILD;
    WindowHandle child = createWindow(params);
    ASSERT_NE(child, nullptr);

    setCursor(loadCursor(IDC_WAIT));
    const intptr_t hit = makeLParam(HTCLIENT, WM_MOUSEMOVE);
    s_parentAnswer = 1;
    EXPECT_EQ(sendMessage(child, WM_SETCURSOR, reinterpret_cast<uintptr_t>(child), hit), 1);
    EXPECT_EQ(getCursor(), loadCursor(IDC_WAIT)) << "the parent handled it";
    s_parentAnswer = 0;
    EXPECT_EQ(sendMessage(child, WM_SETCURSOR, reinterpret_cast<uintptr_t>(child), hit), 1);
    EXPECT_EQ(getCursor(), loadCursor(IDC_HAND));

    EXPECT_EQ(setCursor(loadCursor(IDC_ARROW)), loadCursor(IDC_HAND));
    EXPECT_EQ(loadCursor(12345), nullptr);
    EXPECT_EQ(showCursor(false), -1);
    EXPECT_EQ(showCursor(false), -2);
    EXPECT_EQ(showCursor(true), -1);
    EXPECT_EQ(showCursor(true), 0);

    ASSERT_TRUE(setCursorPos(400, 300));
    cPoint pointer;
    ASSERT_TRUE(getCursorPos(&pointer));
    EXPECT_EQ(pointer.x, 400);
    EXPECT_EQ(pointer.y, 300);
    destroyWindow(parent);
    unregisterWindowClass("qelt Test Parent");
    unregisterWindowClass("qelt Test Hand");
}

// ---------------------------------------------------------------------------------------------
// Refused input
// ---------------------------------------------------------------------------------------------

TEST_F(WindowTest, BadHandlesAndRequestsAreRefusedSafely)
{
    WindowHandle bogus = reinterpret_cast<WindowHandle>(uintptr_t(0xDEAD0));
    EXPECT_FALSE(isWindow(bogus));
    EXPECT_FALSE(postMessage(bogus, WM_USER, 0, 0));
    EXPECT_EQ(sendMessage(bogus, WM_USER + 7, 1, 0), 0);
    EXPECT_FALSE(setWindowText(bogus, "x"));
    EXPECT_EQ(getWindowText(bogus), "");
    EXPECT_FALSE(moveWindow(bogus, 0, 0, 1, 1, true));
    EXPECT_EQ(setWindowProcedure(bogus, recordingProcedure), nullptr);
    EXPECT_FALSE(destroyWindow(bogus));
    EXPECT_FALSE(deliverKey(bogus, VK_ESCAPE, true));
    EXPECT_EQ(setFocus(bogus), nullptr);
    cMessage message;
    EXPECT_EQ(getMessage(&message, bogus, 0, 0), -1);

    EXPECT_FALSE(registerWindowClass({kClass, 0, recordingProcedure, nullptr, 0}))
        << "registered twice";
    EXPECT_FALSE(registerWindowClass({"", 0, recordingProcedure, nullptr, 0}));
    EXPECT_FALSE(registerWindowClass({"qelt No Procedure", 0, nullptr, nullptr, 0}));

    cCreateWindow params;
    params.className = "qelt Unknown";
    EXPECT_EQ(createWindow(params), nullptr);
    params.className = kClass;
    params.style = WS_CHILD;
    EXPECT_EQ(createWindow(params), nullptr) << "a child needs a parent";
    params.style = 0;
    params.parent = bogus;
    EXPECT_EQ(createWindow(params), nullptr);

    // Another thread's window can be neither destroyed nor waited on from here.
    cWindowThread other;
    EXPECT_FALSE(destroyWindow(other.window()));
    EXPECT_EQ(getMessage(&message, other.window(), 0, 0), -1);
    EXPECT_TRUE(isWindow(other.window()));
}

TEST_F(WindowTest, AQueueNobodyEmptiesStopsTakingMessages)
{
    WindowHandle window = create();
    drain();
    int posted = 0;
    while (posted < 20000 && postMessage(window, WM_USER, 0, 0))
        ++posted;
    EXPECT_EQ(posted, 10000);
    EXPECT_FALSE(postMessage(nullptr, WM_USER, 0, 0));
    drain();
    EXPECT_TRUE(postMessage(window, WM_USER, 0, 0)) << "taking messages makes room again";
}

TEST_F(WindowTest, CreationCanBeRefusedByTheProcedure)
{
    registerWindowClass({"qelt Test Refuses", 0,
                         [](WindowHandle w, uint32_t m, uintptr_t wp, intptr_t lp) -> intptr_t
                         {
                             if (m == WM_CREATE)
                             {
                                 auto* create = reinterpret_cast<const cCreateStruct*>(lp);
                                 return create->createParam == nullptr ? -1 : 0;
                             }
                             return defaultWindowProcedure(w, m, wp, lp);
                         },
                         nullptr, 0});
    cCreateWindow params;
    params.className = "qelt Test Refuses";
    EXPECT_EQ(createWindow(params), nullptr);
    EXPECT_TRUE(getTopLevelWindows().empty());
    int data = 0;
    params.createParam = &data;
    WindowHandle window = createWindow(params);
    EXPECT_NE(window, nullptr);
    unregisterWindowClass("qelt Test Refuses");
}

// ---------------------------------------------------------------------------------------------
// Message boxes
// ---------------------------------------------------------------------------------------------

bool g_insideBox = false;
int g_handledInsideBox = 0;

TEST_F(WindowTest, AMessageBoxPumpsTheCallersQueueAndKeepsItsQuit)
{
    static WindowHandle s_window;
    registerWindowClass({"qelt Test Box", 0,
                         [](WindowHandle w, uint32_t m, uintptr_t wp, intptr_t lp) -> intptr_t
                         {
                             if (g_insideBox && (m == WM_USER + 1 || m == WM_PAINT))
                                 ++g_handledInsideBox;
                             // A message handled during the box can queue more.
                             if (m == WM_USER + 1 && wp == 0)
                                 postMessage(w, WM_USER + 1, 1, 0);
                             return defaultWindowProcedure(w, m, wp, lp);
                         },
                         nullptr, 0});
    cCreateWindow params;
    params.className = "qelt Test Box";
    s_window = createWindow(params);
    g_handledInsideBox = 0;
    drain();

    postMessage(s_window, WM_USER + 1, 0, 0);
    invalidateWindow(s_window, false);
    postQuitMessage(3);
    ::testing::internal::CaptureStderr();
    g_insideBox = true;
    const MessageBoxAnswer answer =
        messageBox("Error", "No scene archive given to publish.", MessageBoxButtons::Ok);
    g_insideBox = false;
    const std::string err = ::testing::internal::GetCapturedStderr();

    EXPECT_EQ(answer, MessageBoxAnswer::Ok);
    EXPECT_EQ(err, "Error: No scene archive given to publish.\n");
    // The posted message and the one it queued ran while the box was up; the quit came after
    // them and is kept for the caller, so the paint waits for the caller's loop.
    EXPECT_EQ(g_handledInsideBox, 2);
    cMessage message;
    ASSERT_EQ(getMessage(&message, nullptr, 0, 0), 0);
    EXPECT_EQ(message.wParam, 3u);
    destroyWindow(s_window);
    unregisterWindowClass("qelt Test Box");
}

TEST_F(WindowTest, MessageBoxesAreAnsweredFromTheScriptedListThenByDefault)
{
    // A process of its own, so the answer list is read fresh.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    setEnvironment("QELT_MESSAGEBOX_ANSWERS", "no,YES,no");
    EXPECT_EXIT(
        {
            int code = 0;
            if (messageBox("Q", "one", MessageBoxButtons::YesNo) != MessageBoxAnswer::No)
                code |= 1;
            if (messageBox("Q", "two\n", MessageBoxButtons::YesNo) != MessageBoxAnswer::Yes)
                code |= 2;
            // An OK box takes a word too, and answers OK whatever it says.
            if (messageBox("Info", "three", MessageBoxButtons::Ok) != MessageBoxAnswer::Ok)
                code |= 4;
            // The list is used up: the default button answers.
            if (messageBox("Q", "four", MessageBoxButtons::YesNo) != MessageBoxAnswer::Yes)
                code |= 8;
            std::exit(code);
        },
        ::testing::ExitedWithCode(0), "Q: one\nQ: two\nInfo: three\nQ: four\n");
    setEnvironment("QELT_MESSAGEBOX_ANSWERS", std::nullopt);
}

} // namespace
} // namespace qelt::platform

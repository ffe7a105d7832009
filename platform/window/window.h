// Windows: classes with their procedures, the window table, and what a program asks of a window
// (title, geometry, style, visibility, focus, cursor, pointer, painting).
//
// Every window belongs to the thread that created it: its procedure runs on that thread, and
// messages sent from other threads wait for it (see message_queue.h). The table is one per
// process, shared by the program and every library it loads. Functions given a handle that is
// not (or no longer) a window do nothing and return false, null or 0.
#pragma once

#include "platform/window/messages.h"

#include <string>
#include <vector>

namespace qelt::platform
{

// ---------------------------------------------------------------------------------------------
// The window system as a whole
// ---------------------------------------------------------------------------------------------

// "headless" (virtual windows) or "x11". Chosen on first use: QELT_WINDOW_SYSTEM ("headless" or
// "x11") when set, else x11 when DISPLAY is set, else headless. An X display that cannot be
// opened falls back to headless with one line on stderr.
const char* windowSystemName();

// Size of the screen in pixels.
cPoint screenSize();

// Lets go of the display: its threads end, its connection closes and every window becomes
// virtual. Happens by itself when the process exits; a program that must outlive its display
// server calls it first.
void shutdownWindowSystem();

// For the renderer, which draws into windows itself: the display connection (an Xlib Display*)
// and a window's native id (an X Window), or null and 0 when windows are virtual.
void* nativeDisplay();
uintptr_t nativeWindow(WindowHandle window);

// ---------------------------------------------------------------------------------------------
// Classes
// ---------------------------------------------------------------------------------------------

struct cWindowClass
{
    std::string name;
    uint32_t style = 0; // CS_*
    WindowProcedure procedure = nullptr;
    CursorHandle cursor = nullptr; // shown by the default WM_SETCURSOR handling; null: none
    uintptr_t background = 0;      // 0: no background is drawn
};

// false when the name is empty, the procedure missing, or the class already registered (the
// first registration stays).
bool registerWindowClass(const cWindowClass& windowClass);
bool unregisterWindowClass(const std::string& name);

// ---------------------------------------------------------------------------------------------
// Creating and destroying
// ---------------------------------------------------------------------------------------------

struct cCreateWindow
{
    uint32_t exStyle = 0; // WS_EX_*
    std::string className;
    std::string title;
    uint32_t style = 0; // WS_*
    int x = CW_USEDEFAULT;
    int y = CW_USEDEFAULT;
    int width = CW_USEDEFAULT;
    int height = CW_USEDEFAULT;
    WindowHandle parent = nullptr;
    void* createParam = nullptr; // handed to WM_CREATE
};

// What WM_CREATE carries in lParam; valid during that message only.
struct cCreateStruct
{
    void* createParam = nullptr;
    WindowHandle parent = nullptr;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    cRect rect; // relative to the parent, or on the screen for a top-level window
    const char* className = "";
    const char* title = "";
};

// Creates a window owned by the calling thread and sends WM_CREATE (a procedure that returns -1
// refuses it), WM_SIZE and WM_MOVE; a child tells its parent WM_PARENTNOTIFY(WM_CREATE) unless
// WS_EX_NOPARENTNOTIFY; WS_VISIBLE shows it. Null when the class is unknown, the parent is not a
// window, WS_CHILD comes without a parent, or WM_CREATE refused.
WindowHandle createWindow(const cCreateWindow& params);

// Sends WM_DESTROY, destroys the children (those of other threads on their own threads), and
// removes the window. Only the owning thread may destroy a window.
bool destroyWindow(WindowHandle window);

bool isWindow(WindowHandle window);
// True when the calling thread owns the window.
bool isOwnWindow(WindowHandle window);

// ---------------------------------------------------------------------------------------------
// Procedures and user data
// ---------------------------------------------------------------------------------------------

// Puts procedure in place of the window's and returns the previous one, which the new procedure
// should pass the messages it does not swallow to (callWindowProcedure). Null refuses.
WindowProcedure setWindowProcedure(WindowHandle window, WindowProcedure procedure);
WindowProcedure getWindowProcedure(WindowHandle window);
intptr_t callWindowProcedure(WindowProcedure procedure, WindowHandle window, uint32_t message,
                             uintptr_t wParam, intptr_t lParam);
// What a window does with a message its procedure leaves alone: WM_CLOSE destroys the window,
// WM_PAINT validates it (after WM_ERASEBKGND when an erase was asked for), WM_SETCURSOR asks the
// parent first and then shows the class cursor; everything else answers 0.
intptr_t defaultWindowProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam);

// A value the program keeps with the window; returns the previous one.
intptr_t setUserData(WindowHandle window, intptr_t value);
intptr_t getUserData(WindowHandle window);

// ---------------------------------------------------------------------------------------------
// Title, family, geometry and style
// ---------------------------------------------------------------------------------------------

bool setWindowText(WindowHandle window, const std::string& text);
std::string getWindowText(WindowHandle window);
std::string getClassName(WindowHandle window);

WindowHandle getParent(WindowHandle window);
// In creation order.
std::vector<WindowHandle> getChildren(WindowHandle window);
// Every top-level window, in creation order.
std::vector<WindowHandle> getTopLevelWindows();

// The window on the screen. A window has no frame of its own here: the client area is the
// whole window, so getClientRect is (0, 0, width, height).
bool getWindowRect(WindowHandle window, cRect* rect);
bool getClientRect(WindowHandle window, cRect* rect);
bool clientToScreen(WindowHandle window, cPoint* point);
bool screenToClient(WindowHandle window, cPoint* point);

// x and y are relative to the parent (on the screen for a top-level window). Sends WM_MOVE and
// WM_SIZE when they change; repaint invalidates the window.
bool moveWindow(WindowHandle window, int x, int y, int width, int height, bool repaint);

// Returns the previous style (0 for a handle that is not a window). Changing WS_VISIBLE shows or
// hides; WS_POPUP without WS_CAPTION drops the frame (a popup sized to the screen is fullscreen).
uint32_t setWindowStyle(WindowHandle window, uint32_t style);
uint32_t getWindowStyle(WindowHandle window);
uint32_t setWindowExStyle(WindowHandle window, uint32_t exStyle);
uint32_t getWindowExStyle(WindowHandle window);
// Keeps a top-level window above the others (WS_EX_TOPMOST).
bool setTopmost(WindowHandle window, bool topmost);

// Returns whether the window was visible before. Sends WM_SHOWWINDOW on a change; showing a
// top-level window with anything but SW_SHOWNA activates it.
bool showWindow(WindowHandle window, int command);
bool isWindowVisible(WindowHandle window);

// ---------------------------------------------------------------------------------------------
// Painting
// ---------------------------------------------------------------------------------------------

// Asks for WM_PAINT. Requests coalesce: the window gets one WM_PAINT, when its thread has nothing
// else queued, until it is validated. erase asks for WM_ERASEBKGND before painting.
bool invalidateWindow(WindowHandle window, bool erase);
bool validateWindow(WindowHandle window);
bool needsPaint(WindowHandle window);
// Paints now: sends WM_PAINT when the window needs it.
bool updateWindow(WindowHandle window);

// ---------------------------------------------------------------------------------------------
// Focus and activation
// ---------------------------------------------------------------------------------------------

// Moves the keyboard focus: WM_KILLFOCUS to the old window, WM_SETFOCUS to the new one, and
// activates the new window's top-level window. Null takes the focus away. Returns the previous
// focus window.
WindowHandle setFocus(WindowHandle window);
WindowHandle getFocus();
// Makes the top-level window of window the active one: WM_ACTIVATE(WA_INACTIVE) to the old,
// WM_ACTIVATE(WA_ACTIVE) to the new, and raises it. Returns the previous active window.
WindowHandle setActiveWindow(WindowHandle window);
WindowHandle getActiveWindow();

// ---------------------------------------------------------------------------------------------
// Cursor and pointer
// ---------------------------------------------------------------------------------------------

// One of the IDC_* standard cursors; null for an unknown id.
CursorHandle loadCursor(int id);
// Shows the cursor over the window under the pointer (before any pointer movement: over the
// calling thread's windows). Returns the previous cursor.
CursorHandle setCursor(CursorHandle cursor);
CursorHandle getCursor();
// Counts up (show) or down (hide); the cursor is shown while the count is 0 or more. Returns the
// new count.
int showCursor(bool show);

// The pointer on the screen.
bool getCursorPos(cPoint* point);
// Moves the pointer (on a display: warps it).
bool setCursorPos(int x, int y);

// Sends every mouse message to window, wherever the pointer is, until released. Returns the
// window that had the capture.
WindowHandle setCapture(WindowHandle window);
bool releaseCapture();
WindowHandle getCapture();

// ---------------------------------------------------------------------------------------------
// Dropped files
// ---------------------------------------------------------------------------------------------

// The files of a WM_DROPFILES (its wParam), and where they were dropped in client coordinates.
std::vector<std::string> droppedFiles(uintptr_t drop);
bool dropPoint(uintptr_t drop, cPoint* point);
// Forgets the drop; its handle is no longer valid.
void finishDrop(uintptr_t drop);

} // namespace qelt::platform

// The vocabulary of the window system: handles, procedures, messages, keys and styles, with the
// numbers the engine was written with.
#pragma once

#include <cstdint>

namespace qelt::platform
{

// ---------------------------------------------------------------------------------------------
// Handles and procedures
// ---------------------------------------------------------------------------------------------

// Opaque and pointer-sized. A handle is never reused while the process runs, so a stale one is
// simply not found.
struct cWindowTag;
using WindowHandle = cWindowTag*;
struct cCursorTag;
using CursorHandle = cCursorTag*;

using WindowProcedure = intptr_t (*)(WindowHandle window, uint32_t message, uintptr_t wParam,
                                     intptr_t lParam);

struct cPoint
{
    int x = 0;
    int y = 0;
};

struct cRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

// One message as the queue hands it out.
struct cMessage
{
    WindowHandle window = nullptr; // null for a message to the thread itself
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    uint32_t time = 0;      // milliseconds of the steady clock, wrapping
    cPoint point;           // pointer position on the screen when it was queued
    uint32_t character = 0; // for key-down: what translateMessage turns into WM_CHAR (0: none)
};

// Packing of two 16-bit halves, as sizes and positions travel in lParam.
constexpr intptr_t makeLParam(int low, int high)
{
    return static_cast<intptr_t>(static_cast<uint32_t>(static_cast<uint16_t>(low)) |
                                 (static_cast<uint32_t>(static_cast<uint16_t>(high)) << 16));
}
constexpr int lowWord(intptr_t value)
{
    return static_cast<uint16_t>(value & 0xFFFF);
}
constexpr int highWord(intptr_t value)
{
    return static_cast<uint16_t>((value >> 16) & 0xFFFF);
}
// Positions are signed: a point left of or above a window is negative.
constexpr int signedLowWord(intptr_t value)
{
    return static_cast<int16_t>(value & 0xFFFF);
}
constexpr int signedHighWord(intptr_t value)
{
    return static_cast<int16_t>((value >> 16) & 0xFFFF);
}

// ---------------------------------------------------------------------------------------------
// Messages
// ---------------------------------------------------------------------------------------------

inline constexpr uint32_t WM_NULL = 0x0000;
inline constexpr uint32_t WM_CREATE = 0x0001; // lParam: const cCreateStruct*
inline constexpr uint32_t WM_DESTROY = 0x0002;
inline constexpr uint32_t WM_MOVE = 0x0003;      // lParam: x, y of the client area
inline constexpr uint32_t WM_SIZE = 0x0005;      // wParam: SIZE_RESTORED; lParam: width, height
inline constexpr uint32_t WM_ACTIVATE = 0x0006;  // wParam: WA_*; lParam: the other window
inline constexpr uint32_t WM_SETFOCUS = 0x0007;  // wParam: the window that lost the focus
inline constexpr uint32_t WM_KILLFOCUS = 0x0008; // wParam: the window that gets the focus
inline constexpr uint32_t WM_PAINT = 0x000F;
inline constexpr uint32_t WM_CLOSE = 0x0010;
inline constexpr uint32_t WM_QUIT = 0x0012; // wParam: the exit code
inline constexpr uint32_t WM_ERASEBKGND = 0x0014;
inline constexpr uint32_t WM_SHOWWINDOW = 0x0018; // wParam: 1 shown, 0 hidden
inline constexpr uint32_t WM_SETCURSOR = 0x0020;  // wParam: window; lParam: hit test, message
inline constexpr uint32_t WM_KEYDOWN = 0x0100;    // wParam: virtual key; lParam: key data
inline constexpr uint32_t WM_KEYUP = 0x0101;
inline constexpr uint32_t WM_CHAR = 0x0102; // wParam: the character
inline constexpr uint32_t WM_COMMAND = 0x0111;
inline constexpr uint32_t WM_TIMER = 0x0113;
inline constexpr uint32_t WM_MOUSEMOVE = 0x0200; // wParam: MK_*; lParam: client x, y
inline constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
inline constexpr uint32_t WM_RBUTTONUP = 0x0205;
inline constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
inline constexpr uint32_t WM_MBUTTONUP = 0x0208;
inline constexpr uint32_t WM_MOUSEWHEEL = 0x020A;   // wParam high word: signed delta
inline constexpr uint32_t WM_PARENTNOTIFY = 0x0210; // wParam: WM_CREATE/WM_DESTROY; lParam: child
inline constexpr uint32_t WM_DROPFILES = 0x0233;    // wParam: drop handle (see droppedFiles)
inline constexpr uint32_t WM_USER = 0x0400;

inline constexpr uintptr_t SIZE_RESTORED = 0;
inline constexpr uintptr_t WA_INACTIVE = 0;
inline constexpr uintptr_t WA_ACTIVE = 1;
inline constexpr int HTCLIENT = 1;

// Button and key state in wParam of the mouse messages.
inline constexpr uintptr_t MK_LBUTTON = 0x0001;
inline constexpr uintptr_t MK_RBUTTON = 0x0002;
inline constexpr uintptr_t MK_SHIFT = 0x0004;
inline constexpr uintptr_t MK_CONTROL = 0x0008;
inline constexpr uintptr_t MK_MBUTTON = 0x0010;
inline constexpr int WHEEL_DELTA = 120;

// Key data in lParam of WM_KEYDOWN/WM_KEYUP: bits 0-15 repeat count, 30 previous state,
// 31 transition (set on key up).
inline constexpr intptr_t kKeyPreviouslyDown = intptr_t(1) << 30;
inline constexpr intptr_t kKeyReleased = intptr_t(1) << 31;

// ---------------------------------------------------------------------------------------------
// Virtual keys
// ---------------------------------------------------------------------------------------------

inline constexpr uint32_t VK_BACK = 8;
inline constexpr uint32_t VK_TAB = 9;
inline constexpr uint32_t VK_RETURN = 13;
inline constexpr uint32_t VK_SHIFT = 16;
inline constexpr uint32_t VK_CONTROL = 17;
inline constexpr uint32_t VK_MENU = 18; // Alt
inline constexpr uint32_t VK_PAUSE = 19;
inline constexpr uint32_t VK_ESCAPE = 27;
inline constexpr uint32_t VK_SPACE = 32;
inline constexpr uint32_t VK_PRIOR = 33; // page up
inline constexpr uint32_t VK_NEXT = 34;  // page down
inline constexpr uint32_t VK_END = 35;
inline constexpr uint32_t VK_HOME = 36;
inline constexpr uint32_t VK_LEFT = 37;
inline constexpr uint32_t VK_UP = 38;
inline constexpr uint32_t VK_RIGHT = 39;
inline constexpr uint32_t VK_DOWN = 40;
inline constexpr uint32_t VK_INSERT = 45;
inline constexpr uint32_t VK_DELETE = 46;
// '0'-'9' and 'A'-'Z' are their own codes.
inline constexpr uint32_t VK_NUMPAD0 = 96; // to VK_NUMPAD9 = 105
inline constexpr uint32_t VK_MULTIPLY = 106;
inline constexpr uint32_t VK_ADD = 107;
inline constexpr uint32_t VK_SUBTRACT = 109;
inline constexpr uint32_t VK_DECIMAL = 110;
inline constexpr uint32_t VK_DIVIDE = 111;
inline constexpr uint32_t VK_F1 = 112; // to VK_F12 = 123
inline constexpr uint32_t VK_F2 = 113;
inline constexpr uint32_t VK_F4 = 115;
inline constexpr uint32_t VK_F5 = 116;
inline constexpr uint32_t VK_F8 = 119;
inline constexpr uint32_t VK_F12 = 123;

// ---------------------------------------------------------------------------------------------
// Styles
// ---------------------------------------------------------------------------------------------

inline constexpr uint32_t CS_VREDRAW = 0x0001;
inline constexpr uint32_t CS_HREDRAW = 0x0002;
inline constexpr uint32_t CS_DBLCLKS = 0x0008;
inline constexpr uint32_t CS_OWNDC = 0x0020;

inline constexpr uint32_t WS_OVERLAPPED = 0x00000000;
inline constexpr uint32_t WS_MAXIMIZEBOX = 0x00010000;
inline constexpr uint32_t WS_MINIMIZEBOX = 0x00020000;
inline constexpr uint32_t WS_THICKFRAME = 0x00040000;
inline constexpr uint32_t WS_SYSMENU = 0x00080000;
inline constexpr uint32_t WS_CAPTION = 0x00C00000;
inline constexpr uint32_t WS_OVERLAPPEDWINDOW = 0x00CF0000;
inline constexpr uint32_t WS_CLIPCHILDREN = 0x02000000;
inline constexpr uint32_t WS_CLIPSIBLINGS = 0x04000000;
inline constexpr uint32_t WS_VISIBLE = 0x10000000;
inline constexpr uint32_t WS_CHILD = 0x40000000;
inline constexpr uint32_t WS_POPUP = 0x80000000;

inline constexpr uint32_t WS_EX_NOPARENTNOTIFY = 0x00000004;
inline constexpr uint32_t WS_EX_TOPMOST = 0x00000008;
inline constexpr uint32_t WS_EX_ACCEPTFILES = 0x00000010;

// Position or size left to the system in createWindow.
inline constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

// showWindow commands.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_SHOWNA = 8; // shown without activating
inline constexpr int SW_SHOWDEFAULT = 10;

// Standard cursors for loadCursor.
inline constexpr int IDC_ARROW = 32512;
inline constexpr int IDC_IBEAM = 32513;
inline constexpr int IDC_WAIT = 32514;
inline constexpr int IDC_CROSS = 32515;
inline constexpr int IDC_HAND = 32649;

} // namespace qelt::platform

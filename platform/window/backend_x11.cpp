// The X11 backend: real windows through Xlib, one event thread that turns the display's events
// into queued messages for the windows' own threads, files dropped by the XDND protocol, and
// message boxes through the GTK UI thread.
#include "platform/window/backend.h"

#include "platform/system.h"
#include "platform/window/gtk_ui_thread.h"
#include "platform/window/input.h"
#include "platform/window/window.h"
#include "platform/window/window_system.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/keysym.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace qelt::platform
{

namespace
{

// The grey a window with a class background shows before anything draws into it.
constexpr unsigned long kBackgroundPixel = 0xC0C0C0;
constexpr long kXdndVersion = 5;

// Errors such as focusing a window the window manager has not mapped yet are expected and
// harmless; Xlib's own handler would end the process.
int ignoreXError(Display* display, XErrorEvent* error)
{
    char text[128] = {};
    XGetErrorText(display, error->error_code, text, sizeof text);
    char line[256];
    std::snprintf(line, sizeof line, "X11: %s (request %d)\n", text, error->request_code);
    debugOutput(line);
    return 0;
}

uint32_t virtualKeyFor(KeySym sym)
{
    if (sym >= XK_a && sym <= XK_z)
    {
        return static_cast<uint32_t>('A' + (sym - XK_a));
    }
    if (sym >= XK_A && sym <= XK_Z)
    {
        return static_cast<uint32_t>('A' + (sym - XK_A));
    }
    if (sym >= XK_0 && sym <= XK_9)
    {
        return static_cast<uint32_t>('0' + (sym - XK_0));
    }
    if (sym >= XK_F1 && sym <= XK_F12)
    {
        return VK_F1 + static_cast<uint32_t>(sym - XK_F1);
    }
    if (sym >= XK_KP_0 && sym <= XK_KP_9)
    {
        return VK_NUMPAD0 + static_cast<uint32_t>(sym - XK_KP_0);
    }
    static const std::map<KeySym, uint32_t> table = {
        {XK_BackSpace, VK_BACK},
        {XK_Tab, VK_TAB},
        {XK_Return, VK_RETURN},
        {XK_KP_Enter, VK_RETURN},
        {XK_Shift_L, VK_SHIFT},
        {XK_Shift_R, VK_SHIFT},
        {XK_Control_L, VK_CONTROL},
        {XK_Control_R, VK_CONTROL},
        {XK_Alt_L, VK_MENU},
        {XK_Alt_R, VK_MENU},
        {XK_Pause, VK_PAUSE},
        {XK_Escape, VK_ESCAPE},
        {XK_space, VK_SPACE},
        {XK_Prior, VK_PRIOR},
        {XK_Next, VK_NEXT},
        {XK_End, VK_END},
        {XK_Home, VK_HOME},
        {XK_Left, VK_LEFT},
        {XK_Up, VK_UP},
        {XK_Right, VK_RIGHT},
        {XK_Down, VK_DOWN},
        {XK_Insert, VK_INSERT},
        {XK_Delete, VK_DELETE},
        {XK_KP_Multiply, VK_MULTIPLY},
        {XK_KP_Add, VK_ADD},
        {XK_KP_Subtract, VK_SUBTRACT},
        {XK_KP_Decimal, VK_DECIMAL},
        {XK_KP_Divide, VK_DIVIDE},
        {XK_semicolon, 186},
        {XK_equal, 187},
        {XK_comma, 188},
        {XK_minus, 189},
        {XK_period, 190},
        {XK_slash, 191},
        {XK_grave, 192},
        {XK_bracketleft, 219},
        {XK_backslash, 220},
        {XK_bracketright, 221},
        {XK_apostrophe, 222},
    };
    auto it = table.find(sym);
    return it != table.end() ? it->second : 0;
}

unsigned int cursorShape(int id)
{
    switch (id)
    {
    case IDC_IBEAM:
        return XC_xterm;
    case IDC_WAIT:
        return XC_watch;
    case IDC_CROSS:
        return XC_crosshair;
    case IDC_HAND:
        return XC_hand2;
    default:
        return XC_left_ptr;
    }
}

// "file:///a%20b" and "file://host/a" become "/a b" and "/a"; other lines are left out.
std::vector<std::string> filesFromUriList(const std::string& list)
{
    std::vector<std::string> files;
    std::size_t start = 0;
    while (start < list.size())
    {
        std::size_t end = list.find('\n', start);
        if (end == std::string::npos)
        {
            end = list.size();
        }
        std::string line = list.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == '\0'))
        {
            line.pop_back();
        }
        if (line.rfind("file://", 0) != 0)
        {
            continue;
        }
        const std::size_t path = line.find('/', 7);
        if (path == std::string::npos)
        {
            continue;
        }
        std::string file;
        for (std::size_t i = path; i < line.size(); ++i)
        {
            if (line[i] == '%' && i + 2 < line.size() && std::isxdigit(uint8_t(line[i + 1])) &&
                std::isxdigit(uint8_t(line[i + 2])))
            {
                file += static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16));
                i += 2;
            }
            else
            {
                file += line[i];
            }
        }
        files.push_back(file);
    }
    return files;
}

WindowHandle windowForNative(uintptr_t native)
{
    window_detail::cWindowSystem& system = window_detail::windowSystem();
    std::lock_guard<std::mutex> guard(system.lock);
    auto it = system.byNative.find(native);
    return it != system.byNative.end() ? it->second : nullptr;
}

// The deepest visible window under the screen point, starting at a top-level window, that
// accepts files (itself or through a parent); null when none does.
WindowHandle dropTargetAt(WindowHandle top, const cPoint& screen)
{
    WindowHandle under = top;
    for (bool deeper = true; deeper;)
    {
        deeper = false;
        for (WindowHandle child : getChildren(under))
        {
            cRect rect;
            if (isWindowVisible(child) && getWindowRect(child, &rect) && screen.x >= rect.left &&
                screen.x < rect.right && screen.y >= rect.top && screen.y < rect.bottom)
            {
                under = child;
                deeper = true;
                break;
            }
        }
    }
    for (WindowHandle w = under; w != nullptr; w = getParent(w))
    {
        if ((getWindowExStyle(w) & WS_EX_ACCEPTFILES) != 0)
        {
            return w;
        }
    }
    return nullptr;
}

class cX11Backend : public cWindowBackend
{
  public:
    ~cX11Backend() override { shutdown(); }

    bool open(std::string* reason)
    {
        XInitThreads();
        XSetErrorHandler(ignoreXError);
        display_ = XOpenDisplay(nullptr);
        if (display_ == nullptr)
        {
            const char* name = std::getenv("DISPLAY");
            *reason = std::string("cannot open the X display \"") + (name ? name : "") + "\"";
            return false;
        }
        root_ = DefaultRootWindow(display_);
        // Key releases come only when the key is really let go, not between repeats.
        XkbSetDetectableAutoRepeat(display_, True, nullptr);
        for (auto& [name, atom] : atoms_)
        {
            atom = XInternAtom(display_, name.c_str(), False);
        }
        wake_ =
            XCreateWindow(display_, root_, 0, 0, 1, 1, 0, 0, InputOnly, CopyFromParent, 0, nullptr);
        XFlush(display_);
        events_ = std::thread([this] { runEvents(); });
        return true;
    }

    const char* name() const override { return "x11"; }

    uintptr_t createWindow(const cNativeWindowSpec& spec) override
    {
        if (display_ == nullptr)
        {
            return 0;
        }
        const bool topLevel = spec.parent == 0;
        XSetWindowAttributes attributes{};
        unsigned long mask = CWEventMask;
        attributes.event_mask = KeyPressMask | KeyReleaseMask | ButtonPressMask |
                                ButtonReleaseMask | PointerMotionMask | StructureNotifyMask |
                                FocusChangeMask | ExposureMask;
        if (spec.background)
        {
            attributes.background_pixel = kBackgroundPixel;
            mask |= CWBackPixel;
        }
        const ::Window window = XCreateWindow(
            display_, topLevel ? root_ : static_cast<::Window>(spec.parent), spec.rect.left,
            spec.rect.top, static_cast<unsigned>(std::max(spec.rect.width(), 1)),
            static_cast<unsigned>(std::max(spec.rect.height(), 1)), 0, CopyFromParent, InputOutput,
            CopyFromParent, mask, &attributes);
        if (topLevel)
        {
            Atom protocols[] = {atom("WM_DELETE_WINDOW")};
            XSetWMProtocols(display_, window, protocols, 1);
            long version = kXdndVersion;
            XChangeProperty(display_, window, atom("XdndAware"), XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(&version), 1);
            XClassHint hint{};
            std::string resourceName = "qelt";
            std::string resourceClass = spec.className;
            hint.res_name = resourceName.data();
            hint.res_class = resourceClass.data();
            XSetClassHint(display_, window, &hint);
            // Where the program put it, not where the window manager likes.
            XSizeHints sizeHints{};
            sizeHints.flags = USPosition | USSize;
            sizeHints.x = spec.rect.left;
            sizeHints.y = spec.rect.top;
            sizeHints.width = spec.rect.width();
            sizeHints.height = spec.rect.height();
            XSetWMNormalHints(display_, window, &sizeHints);
            applyTitle(window, spec.title);
            applyStyle(window, spec.style, spec.exStyle, false);
        }
        XFlush(display_);
        return static_cast<uintptr_t>(window);
    }

    void destroyWindow(uintptr_t native) override
    {
        if (display_ != nullptr)
        {
            XDestroyWindow(display_, static_cast<::Window>(native));
            XFlush(display_);
        }
    }

    void setTitle(uintptr_t native, const std::string& title) override
    {
        if (display_ != nullptr)
        {
            applyTitle(static_cast<::Window>(native), title);
            XFlush(display_);
        }
    }

    void setGeometry(uintptr_t native, const cRect& rect) override
    {
        if (display_ != nullptr)
        {
            XMoveResizeWindow(display_, static_cast<::Window>(native), rect.left, rect.top,
                              static_cast<unsigned>(std::max(rect.width(), 1)),
                              static_cast<unsigned>(std::max(rect.height(), 1)));
            XFlush(display_);
        }
    }

    void setStyle(uintptr_t native, uint32_t style, uint32_t exStyle) override
    {
        if (display_ != nullptr && isTopLevel(native))
        {
            applyStyle(static_cast<::Window>(native), style, exStyle, true);
            XFlush(display_);
        }
    }

    void setVisible(uintptr_t native, bool visible) override
    {
        if (display_ == nullptr)
        {
            return;
        }
        if (visible)
        {
            XMapRaised(display_, static_cast<::Window>(native));
        }
        else
        {
            XUnmapWindow(display_, static_cast<::Window>(native));
        }
        XFlush(display_);
    }

    void setFocus(uintptr_t native) override
    {
        if (display_ != nullptr && isViewable(native))
        {
            XSetInputFocus(display_, static_cast<::Window>(native), RevertToParent, CurrentTime);
            XFlush(display_);
        }
    }

    void activate(uintptr_t native) override
    {
        if (display_ == nullptr)
        {
            return;
        }
        const auto window = static_cast<::Window>(native);
        XRaiseWindow(display_, window);
        sendToRoot(window, atom("_NET_ACTIVE_WINDOW"), 1, CurrentTime, 0);
        if (isViewable(native))
        {
            XSetInputFocus(display_, window, RevertToParent, CurrentTime);
        }
        XFlush(display_);
    }

    void setCursor(const std::vector<uintptr_t>& natives, int cursorId, bool visible) override
    {
        if (display_ == nullptr)
        {
            return;
        }
        std::lock_guard<std::mutex> guard(lock_);
        Cursor cursor = None;
        if (!visible)
        {
            cursor = blankCursor();
        }
        else if (cursorId != 0)
        {
            Cursor& cached = cursors_[cursorId];
            if (cached == None)
            {
                cached = XCreateFontCursor(display_, cursorShape(cursorId));
            }
            cursor = cached;
        }
        for (uintptr_t native : natives)
        {
            XDefineCursor(display_, static_cast<::Window>(native), cursor);
        }
        XFlush(display_);
    }

    bool pointer(cPoint* point) override
    {
        if (display_ == nullptr)
        {
            return false;
        }
        ::Window rootReturn = 0;
        ::Window child = 0;
        int rootX = 0;
        int rootY = 0;
        int x = 0;
        int y = 0;
        unsigned int buttons = 0;
        if (!XQueryPointer(display_, root_, &rootReturn, &child, &rootX, &rootY, &x, &y, &buttons))
        {
            return false;
        }
        *point = {rootX, rootY};
        return true;
    }

    void warpPointer(const cPoint& point) override
    {
        if (display_ != nullptr)
        {
            XWarpPointer(display_, None, root_, 0, 0, 0, 0, point.x, point.y);
            XFlush(display_);
        }
    }

    void capturePointer(uintptr_t native) override
    {
        if (display_ != nullptr)
        {
            XGrabPointer(display_, static_cast<::Window>(native), False,
                         ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                         GrabModeAsync, None, None, CurrentTime);
            XFlush(display_);
        }
    }

    void releasePointer() override
    {
        if (display_ != nullptr)
        {
            XUngrabPointer(display_, CurrentTime);
            XFlush(display_);
        }
    }

    cPoint screenSize() override
    {
        if (display_ == nullptr)
        {
            return {0, 0};
        }
        const int screen = DefaultScreen(display_);
        return {DisplayWidth(display_, screen), DisplayHeight(display_, screen)};
    }

    void* nativeDisplay() override { return display_; }

    void showMessageBox(const cMessageBoxRequest& request, MessageBoxAnswered answered) override
    {
        if (!ui_.showMessageBox(request, answered))
        {
            fallback_->showMessageBox(request, answered);
        }
    }

    void shutdown() override
    {
        ui_.stop();
        if (display_ == nullptr)
        {
            return;
        }
        stopping_ = true;
        XEvent wake{};
        wake.xclient.type = ClientMessage;
        wake.xclient.window = wake_;
        wake.xclient.format = 32;
        XSendEvent(display_, wake_, False, NoEventMask, &wake);
        XFlush(display_);
        if (events_.joinable())
        {
            events_.join();
        }
        for (auto& [id, cursor] : cursors_)
        {
            if (cursor != None)
            {
                XFreeCursor(display_, cursor);
            }
        }
        if (blank_ != None)
        {
            XFreeCursor(display_, blank_);
        }
        XDestroyWindow(display_, wake_);
        XCloseDisplay(display_);
        display_ = nullptr;
    }

  private:
    // ---- helpers ----------------------------------------------------------------------------

    Atom atom(const std::string& name) { return atoms_.at(name); }

    bool isTopLevel(uintptr_t native)
    {
        WindowHandle window = windowForNative(native);
        return window != nullptr && getParent(window) == nullptr;
    }

    bool isViewable(uintptr_t native)
    {
        XWindowAttributes attributes{};
        return XGetWindowAttributes(display_, static_cast<::Window>(native), &attributes) != 0 &&
               attributes.map_state == IsViewable;
    }

    void applyTitle(::Window window, const std::string& title)
    {
        XStoreName(display_, window, title.c_str());
        XChangeProperty(display_, window, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(title.data()),
                        static_cast<int>(title.size()));
    }

    // A frame only with a caption (a popup has none); topmost through the window manager's
    // state, and raised for a display without one.
    void applyStyle(::Window window, uint32_t style, uint32_t exStyle, bool mapped)
    {
        struct
        {
            unsigned long flags = 2; // decorations field present
            unsigned long functions = 0;
            unsigned long decorations = 0;
            long inputMode = 0;
            unsigned long status = 0;
        } motif;
        motif.decorations = (style & WS_CAPTION) != 0 ? 1 : 0;
        XChangeProperty(display_, window, atom("_MOTIF_WM_HINTS"), atom("_MOTIF_WM_HINTS"), 32,
                        PropModeReplace, reinterpret_cast<unsigned char*>(&motif), 5);
        const bool topmost = (exStyle & WS_EX_TOPMOST) != 0;
        if (mapped)
        {
            sendToRoot(window, atom("_NET_WM_STATE"), topmost ? 1 : 0,
                       static_cast<long>(atom("_NET_WM_STATE_ABOVE")), 0);
        }
        else if (topmost)
        {
            Atom above = atom("_NET_WM_STATE_ABOVE");
            XChangeProperty(display_, window, atom("_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(&above), 1);
        }
        if (topmost)
        {
            XRaiseWindow(display_, window);
        }
    }

    void sendToRoot(::Window window, Atom type, long l0, long l1, long l2)
    {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = type;
        event.xclient.format = 32;
        event.xclient.data.l[0] = l0;
        event.xclient.data.l[1] = l1;
        event.xclient.data.l[2] = l2;
        XSendEvent(display_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask,
                   &event);
    }

    void sendClient(::Window to, Atom type, long l0, long l1, long l2, long l3, long l4)
    {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = to;
        event.xclient.message_type = type;
        event.xclient.format = 32;
        event.xclient.data.l[0] = l0;
        event.xclient.data.l[1] = l1;
        event.xclient.data.l[2] = l2;
        event.xclient.data.l[3] = l3;
        event.xclient.data.l[4] = l4;
        XSendEvent(display_, to, False, NoEventMask, &event);
        XFlush(display_);
    }

    Cursor blankCursor()
    {
        if (blank_ == None)
        {
            char bits = 0;
            Pixmap empty = XCreateBitmapFromData(display_, root_, &bits, 1, 1);
            XColor black{};
            blank_ = XCreatePixmapCursor(display_, empty, empty, &black, &black, 0, 0);
            XFreePixmap(display_, empty);
        }
        return blank_;
    }

    // ---- the event thread -------------------------------------------------------------------

    void runEvents()
    {
        for (;;)
        {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == ClientMessage && event.xclient.window == wake_)
            {
                if (stopping_)
                {
                    return;
                }
                continue;
            }
            handle(event);
        }
    }

    void handle(XEvent& event)
    {
        if (event.type == MappingNotify)
        {
            XRefreshKeyboardMapping(&event.xmapping);
            return;
        }
        if (event.type == SelectionNotify)
        {
            receiveDrop(event.xselection);
            return;
        }
        WindowHandle window = windowForNative(event.xany.window);
        if (window == nullptr)
        {
            return;
        }
        switch (event.type)
        {
        case KeyPress:
        case KeyRelease:
        {
            char text[8] = {};
            KeySym sym = NoSymbol;
            const int length = XLookupString(&event.xkey, text, sizeof text, &sym, nullptr);
            const uint32_t key = virtualKeyFor(XLookupKeysym(&event.xkey, 0));
            const uint32_t character = length == 1 ? static_cast<uint8_t>(text[0]) : 0;
            if (key != 0)
            {
                deliverKey(window, key, event.type == KeyPress, character);
            }
            break;
        }
        case ButtonPress:
        case ButtonRelease:
        {
            const bool down = event.type == ButtonPress;
            const int x = event.xbutton.x;
            const int y = event.xbutton.y;
            switch (event.xbutton.button)
            {
            case Button1:
                deliverMouseButton(window, MouseButton::Left, down, x, y);
                break;
            case Button2:
                deliverMouseButton(window, MouseButton::Middle, down, x, y);
                break;
            case Button3:
                deliverMouseButton(window, MouseButton::Right, down, x, y);
                break;
            case Button4:
            case Button5:
                if (down)
                {
                    deliverMouseWheel(
                        window, event.xbutton.button == Button4 ? WHEEL_DELTA : -WHEEL_DELTA, x, y);
                }
                break;
            default:
                break;
            }
            break;
        }
        case MotionNotify:
            deliverMouseMove(window, event.xmotion.x, event.xmotion.y);
            break;
        case ConfigureNotify:
        {
            int x = event.xconfigure.x;
            int y = event.xconfigure.y;
            // A top-level window sits in the window manager's frame: ask where it is on the
            // screen, unless the window manager told us itself.
            if (getParent(window) == nullptr && !event.xconfigure.send_event)
            {
                ::Window child = 0;
                XTranslateCoordinates(display_, event.xconfigure.window, root_, 0, 0, &x, &y,
                                      &child);
            }
            deliverGeometry(window, x, y, event.xconfigure.width, event.xconfigure.height);
            break;
        }
        case Expose:
            if (event.xexpose.count == 0)
            {
                deliverExpose(window);
            }
            break;
        case FocusIn:
            if (event.xfocus.mode == NotifyNormal && event.xfocus.detail != NotifyPointer &&
                event.xfocus.detail != NotifyVirtual &&
                event.xfocus.detail != NotifyNonlinearVirtual)
            {
                deliverFocus(window, true);
            }
            break;
        case FocusOut:
            // Only the top-level window says that the focus left the program's windows.
            if (event.xfocus.mode == NotifyNormal && event.xfocus.detail != NotifyInferior &&
                event.xfocus.detail != NotifyPointer && getParent(window) == nullptr)
            {
                deliverFocus(window, false);
            }
            break;
        case ClientMessage:
            handleClientMessage(window, event.xclient);
            break;
        default:
            break;
        }
    }

    void handleClientMessage(WindowHandle window, const XClientMessageEvent& message)
    {
        if (message.message_type == atom("WM_PROTOCOLS") &&
            static_cast<Atom>(message.data.l[0]) == atom("WM_DELETE_WINDOW"))
        {
            deliverCloseRequest(window);
            return;
        }
        // ---- files dragged in (XDND) --------------------------------------------------------
        const auto source = static_cast<::Window>(message.data.l[0]);
        if (message.message_type == atom("XdndEnter"))
        {
            drag_ = {};
            drag_.source = source;
            drag_.offersFiles = offersFiles(message);
        }
        else if (message.message_type == atom("XdndPosition") && source == drag_.source)
        {
            const cPoint screen{static_cast<int>((message.data.l[2] >> 16) & 0xFFFF),
                                static_cast<int>(message.data.l[2] & 0xFFFF)};
            drag_.target = drag_.offersFiles ? dropTargetAt(window, screen) : nullptr;
            drag_.point = screen;
            screenToClient(drag_.target, &drag_.point);
            const bool accept = drag_.target != nullptr;
            // Bit 1 asks for a position message at every move.
            sendClient(source, atom("XdndStatus"), static_cast<long>(message.window),
                       accept ? 3 : 2, 0, 0,
                       accept ? static_cast<long>(atom("XdndActionCopy")) : 0);
        }
        else if (message.message_type == atom("XdndLeave"))
        {
            drag_ = {};
        }
        else if (message.message_type == atom("XdndDrop") && source == drag_.source)
        {
            if (drag_.target == nullptr)
            {
                sendClient(source, atom("XdndFinished"), static_cast<long>(message.window), 0, 0, 0,
                           0);
                drag_ = {};
                return;
            }
            drag_.receiver = message.window;
            XConvertSelection(display_, atom("XdndSelection"), atom("text/uri-list"),
                              atom("QELT_DROP"), message.window,
                              static_cast<Time>(message.data.l[2]));
            XFlush(display_);
        }
    }

    bool offersFiles(const XClientMessageEvent& enter)
    {
        const Atom wanted = atom("text/uri-list");
        if ((enter.data.l[1] & 1) == 0)
        {
            for (int i = 2; i < 5; ++i)
            {
                if (static_cast<Atom>(enter.data.l[i]) == wanted)
                {
                    return true;
                }
            }
            return false;
        }
        // More than three types: they are listed on the source window.
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        bool found = false;
        if (XGetWindowProperty(display_, static_cast<::Window>(enter.data.l[0]),
                               atom("XdndTypeList"), 0, 1024, False, XA_ATOM, &type, &format,
                               &count, &after, &data) == Success &&
            data != nullptr && format == 32)
        {
            const auto* types = reinterpret_cast<const Atom*>(data);
            for (unsigned long i = 0; i < count; ++i)
            {
                found = found || types[i] == wanted;
            }
        }
        if (data != nullptr)
        {
            XFree(data);
        }
        return found;
    }

    void receiveDrop(const XSelectionEvent& selection)
    {
        if (selection.selection != atom("XdndSelection") || drag_.receiver == 0)
        {
            return;
        }
        std::vector<std::string> files;
        if (selection.property != None)
        {
            Atom type = None;
            int format = 0;
            unsigned long count = 0;
            unsigned long after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(display_, selection.requestor, selection.property, 0, 1 << 20,
                                   True, AnyPropertyType, &type, &format, &count, &after,
                                   &data) == Success &&
                data != nullptr && format == 8)
            {
                files = filesFromUriList(std::string(reinterpret_cast<char*>(data), count));
            }
            if (data != nullptr)
            {
                XFree(data);
            }
        }
        const bool accepted = !files.empty() && drag_.target != nullptr;
        if (accepted)
        {
            deliverFileDrop(drag_.target, files, drag_.point.x, drag_.point.y);
        }
        sendClient(drag_.source, atom("XdndFinished"), static_cast<long>(drag_.receiver),
                   accepted ? 1 : 0, accepted ? static_cast<long>(atom("XdndActionCopy")) : 0, 0,
                   0);
        drag_ = {};
    }

    Display* display_ = nullptr;
    ::Window root_ = 0;
    ::Window wake_ = 0; // an unseen window whose message ends the event thread
    std::thread events_;
    std::atomic<bool> stopping_{false};
    std::map<std::string, Atom> atoms_ = {
        {"WM_PROTOCOLS", None},        {"WM_DELETE_WINDOW", None},   {"_NET_WM_NAME", None},
        {"UTF8_STRING", None},         {"_MOTIF_WM_HINTS", None},    {"_NET_WM_STATE", None},
        {"_NET_WM_STATE_ABOVE", None}, {"_NET_ACTIVE_WINDOW", None}, {"XdndAware", None},
        {"XdndEnter", None},           {"XdndPosition", None},       {"XdndStatus", None},
        {"XdndLeave", None},           {"XdndDrop", None},           {"XdndFinished", None},
        {"XdndSelection", None},       {"XdndTypeList", None},       {"XdndActionCopy", None},
        {"text/uri-list", None},       {"QELT_DROP", None},
    };
    std::mutex lock_; // guards the cursors
    std::map<int, Cursor> cursors_;
    Cursor blank_ = None;

    // The drag in progress; only the event thread touches it.
    struct cDrag
    {
        ::Window source = 0;
        bool offersFiles = false;
        WindowHandle target = nullptr;
        cPoint point;
        ::Window receiver = 0;
    } drag_;

    cGtkUiThread ui_;
    std::unique_ptr<cWindowBackend> fallback_ = createHeadlessBackend();
};

} // namespace

std::unique_ptr<cWindowBackend> createX11Backend(std::string* reason)
{
    auto backend = std::make_unique<cX11Backend>();
    if (!backend->open(reason))
    {
        return nullptr;
    }
    return backend;
}

} // namespace qelt::platform

// The window functions over the process's window table: classes, creation and destruction,
// procedures, geometry, style, painting, focus, cursor, pointer and drops.
#include "platform/window/window.h"

#include "platform/window/message_queue.h"
#include "platform/window/window_system.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace qelt::platform
{

using window_detail::cSentMessage;
using window_detail::cWindowRecord;
using window_detail::cWindowSystem;
using window_detail::windowSystem;

namespace
{

using Guard = std::lock_guard<std::mutex>;

// A field of the window's record, read under the lock; the field type's empty value when there is
// no such window.
template <class T> T readField(WindowHandle window, T cWindowRecord::*field)
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    const cWindowRecord* record = system.find(window);
    return record != nullptr ? record->*field : T();
}

// Where a window goes when its creator leaves the position or size to the system.
constexpr int kDefaultX = 32;
constexpr int kDefaultY = 32;
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;

bool isTopLevel(const cWindowRecord& record)
{
    return (record.style & WS_CHILD) == 0;
}

intptr_t sizeParam(const cRect& rect)
{
    return makeLParam(rect.width(), rect.height());
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The window system as a whole
// ---------------------------------------------------------------------------------------------

const char* windowSystemName()
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    return system.backend->name();
}

cPoint screenSize()
{
    cWindowSystem& system = windowSystem();
    cWindowBackend* display = nullptr;
    {
        Guard guard(system.lock);
        display = system.backend.get();
    }
    return display->screenSize();
}

void shutdownWindowSystem()
{
    windowSystem().shutdown();
}

void* nativeDisplay()
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    return system.backend->nativeDisplay();
}

uintptr_t nativeWindow(WindowHandle window)
{
    return readField(window, &cWindowRecord::native);
}

// ---------------------------------------------------------------------------------------------
// Classes
// ---------------------------------------------------------------------------------------------

bool registerWindowClass(const cWindowClass& windowClass)
{
    if (windowClass.name.empty() || windowClass.procedure == nullptr)
    {
        return false;
    }
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    return system.classes.emplace(windowClass.name, window_detail::cClassRecord{windowClass})
        .second;
}

bool unregisterWindowClass(const std::string& name)
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    return system.classes.erase(name) > 0;
}

// ---------------------------------------------------------------------------------------------
// Creating and destroying
// ---------------------------------------------------------------------------------------------

WindowHandle createWindow(const cCreateWindow& params)
{
    cWindowSystem& system = windowSystem();
    cWindowBackend* display = nullptr;
    cNativeWindowSpec spec;
    cCreateStruct create;
    WindowHandle handle = nullptr;
    {
        Guard guard(system.lock);
        auto windowClass = system.classes.find(params.className);
        if (windowClass == system.classes.end())
        {
            return nullptr;
        }
        cWindowRecord* parent = system.find(params.parent);
        if ((params.parent != nullptr && parent == nullptr) ||
            ((params.style & WS_CHILD) != 0 && parent == nullptr))
        {
            return nullptr;
        }

        auto record = std::make_unique<cWindowRecord>();
        handle = reinterpret_cast<WindowHandle>(system.nextHandle);
        system.nextHandle += 0x10;
        record->handle = handle;
        record->className = params.className;
        record->classStyle = windowClass->second.windowClass.style;
        record->classCursor = windowClass->second.windowClass.cursor;
        record->background = windowClass->second.windowClass.background != 0;
        record->procedure = windowClass->second.windowClass.procedure;
        record->parent = parent != nullptr ? params.parent : nullptr;
        // WS_VISIBLE is set when the window is shown, after WM_CREATE.
        record->style = params.style & ~WS_VISIBLE;
        record->exStyle = params.exStyle;
        record->title = params.title;
        // A child left to the system starts at its parent's corner.
        const bool child = parent != nullptr;
        const int x = params.x == CW_USEDEFAULT ? (child ? 0 : kDefaultX) : params.x;
        const int y = params.y == CW_USEDEFAULT ? (child ? 0 : kDefaultY) : params.y;
        const int width = params.width == CW_USEDEFAULT ? kDefaultWidth : std::max(params.width, 0);
        const int height =
            params.height == CW_USEDEFAULT ? kDefaultHeight : std::max(params.height, 0);
        record->rect = {x, y, x + width, y + height};
        record->queue = system.currentQueue();

        spec.handle = handle;
        spec.parent = parent != nullptr ? parent->native : 0;
        spec.rect = record->rect;
        spec.style = record->style;
        spec.exStyle = record->exStyle;
        spec.title = record->title;
        spec.className = record->className;
        spec.background = record->background;

        create.createParam = params.createParam;
        create.parent = record->parent;
        create.style = params.style;
        create.exStyle = params.exStyle;
        create.rect = record->rect;

        if (parent != nullptr)
        {
            parent->children.push_back(handle);
        }
        else
        {
            system.topLevel.push_back(handle);
        }
        system.windows.emplace(handle, std::move(record));
        display = system.backend.get();
    }

    const uintptr_t native = display->createWindow(spec);
    {
        Guard guard(system.lock);
        if (cWindowRecord* record = system.find(handle))
        {
            record->native = native;
            if (native != 0)
            {
                system.byNative[native] = handle;
            }
        }
    }

    create.className = params.className.c_str();
    create.title = params.title.c_str();
    if (sendMessage(handle, WM_CREATE, 0, reinterpret_cast<intptr_t>(&create)) == -1)
    {
        destroyWindow(handle);
        return nullptr;
    }
    cRect rect;
    if (!getClientRect(handle, &rect))
    {
        return nullptr; // destroyed by its own WM_CREATE
    }
    sendMessage(handle, WM_SIZE, SIZE_RESTORED, sizeParam(rect));
    sendMessage(handle, WM_MOVE, 0, makeLParam(create.rect.left, create.rect.top));
    if (create.parent != nullptr && (params.exStyle & WS_EX_NOPARENTNOTIFY) == 0)
    {
        sendMessage(create.parent, WM_PARENTNOTIFY, WM_CREATE, reinterpret_cast<intptr_t>(handle));
    }
    if ((params.style & WS_VISIBLE) != 0)
    {
        showWindow(handle, SW_SHOW);
    }
    return isWindow(handle) ? handle : nullptr;
}

bool destroyWindow(WindowHandle window)
{
    cWindowSystem& system = windowSystem();
    WindowHandle parent = nullptr;
    bool notifyParent = false;
    {
        Guard guard(system.lock);
        cWindowRecord* record = system.find(window);
        if (record == nullptr || record->queue != system.currentQueue())
        {
            return false;
        }
        if (record->destroying)
        {
            return true;
        }
        record->destroying = true;
        parent = record->parent;
        notifyParent = parent != nullptr && (record->exStyle & WS_EX_NOPARENTNOTIFY) == 0;
    }
    if (notifyParent)
    {
        sendMessage(parent, WM_PARENTNOTIFY, WM_DESTROY, reinterpret_cast<intptr_t>(window));
    }
    showWindow(window, SW_HIDE);
    sendMessage(window, WM_DESTROY, 0, 0);

    // Children follow, each on its own thread.
    std::vector<WindowHandle> children = getChildren(window);
    for (WindowHandle child : children)
    {
        if (isOwnWindow(child))
        {
            destroyWindow(child);
            continue;
        }
        // Waits like a sent message, so the child is gone before its parent.
        auto sent = std::make_shared<cSentMessage>();
        sent->action = cSentMessage::Action::Destroy;
        sent->window = child;
        system.sendAndWait(sent);
    }

    uintptr_t native = 0;
    cWindowBackend* display = nullptr;
    {
        Guard guard(system.lock);
        cWindowRecord* record = system.find(window);
        if (record == nullptr)
        {
            return true;
        }
        native = record->native;
        system.byNative.erase(native);
        if (cWindowRecord* parentRecord = system.find(record->parent))
        {
            std::erase(parentRecord->children, window);
        }
        for (WindowHandle child : record->children)
        {
            if (cWindowRecord* orphan = system.find(child))
            {
                orphan->parent = nullptr;
            }
        }
        std::erase(system.topLevel, window);
        for (WindowHandle* state :
             {&system.focus, &system.active, &system.capture, &system.pointerWindow})
        {
            if (*state == window)
            {
                *state = nullptr;
            }
        }
        system.windows.erase(window);
        display = system.backend.get();
    }
    if (native != 0)
    {
        display->destroyWindow(native);
    }
    return true;
}

bool isWindow(WindowHandle window)
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    return system.find(window) != nullptr;
}

bool isOwnWindow(WindowHandle window)
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    cWindowRecord* record = system.find(window);
    return record != nullptr && record->queue->thread == std::this_thread::get_id();
}

// ---------------------------------------------------------------------------------------------
// Procedures and user data
// ---------------------------------------------------------------------------------------------

WindowProcedure setWindowProcedure(WindowHandle window, WindowProcedure procedure)
{
    if (procedure == nullptr)
    {
        return nullptr;
    }
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    cWindowRecord* record = system.find(window);
    if (record == nullptr)
    {
        return nullptr;
    }
    return std::exchange(record->procedure, procedure);
}

WindowProcedure getWindowProcedure(WindowHandle window)
{
    return readField(window, &cWindowRecord::procedure);
}

intptr_t callWindowProcedure(WindowProcedure procedure, WindowHandle window, uint32_t message,
                             uintptr_t wParam, intptr_t lParam)
{
    return procedure != nullptr ? procedure(window, message, wParam, lParam) : 0;
}

intptr_t defaultWindowProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam)
{
    cWindowSystem& system = windowSystem();
    switch (message)
    {
    case WM_CLOSE:
        destroyWindow(window);
        return 0;
    case WM_PAINT:
    {
        bool erase = false;
        {
            Guard guard(system.lock);
            cWindowRecord* record = system.find(window);
            erase = record != nullptr && record->needsErase;
        }
        if (erase)
        {
            sendMessage(window, WM_ERASEBKGND, 0, 0);
        }
        validateWindow(window);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SETCURSOR:
    {
        WindowHandle parent = getParent(window);
        if (parent != nullptr)
        {
            const intptr_t answer = sendMessage(parent, WM_SETCURSOR, wParam, lParam);
            if (answer != 0)
            {
                return answer;
            }
        }
        CursorHandle cursor = nullptr;
        {
            Guard guard(system.lock);
            cWindowRecord* record = system.find(window);
            cursor = record != nullptr ? record->classCursor : nullptr;
        }
        if (lowWord(lParam) == HTCLIENT && cursor != nullptr)
        {
            setCursor(cursor);
            return 1;
        }
        return 0;
    }
    default:
        return 0;
    }
}

intptr_t setUserData(WindowHandle window, intptr_t value)
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    cWindowRecord* record = system.find(window);
    return record != nullptr ? std::exchange(record->userData, value) : 0;
}

intptr_t getUserData(WindowHandle window)
{
    return readField(window, &cWindowRecord::userData);
}

// ---------------------------------------------------------------------------------------------
// Title, family, geometry and style
// ---------------------------------------------------------------------------------------------

bool setWindowText(WindowHandle window, const std::string& text)
{
    cWindowSystem& system = windowSystem();
    uintptr_t native = 0;
    cWindowBackend* display = nullptr;
    {
        Guard guard(system.lock);
        cWindowRecord* record = system.find(window);
        if (record == nullptr)
        {
            return false;
        }
        record->title = text;
        native = record->native;
        display = system.backend.get();
    }
    if (native != 0)
    {
        display->setTitle(native, text);
    }
    return true;
}

std::string getWindowText(WindowHandle window)
{
    return readField(window, &cWindowRecord::title);
}

std::string getClassName(WindowHandle window)
{
    return readField(window, &cWindowRecord::className);
}

WindowHandle getParent(WindowHandle window)
{
    return readField(window, &cWindowRecord::parent);
}

std::vector<WindowHandle> getChildren(WindowHandle window)
{
    return readField(window, &cWindowRecord::children);
}

std::vector<WindowHandle> getTopLevelWindows()
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    return system.topLevel;
}

bool getWindowRect(WindowHandle window, cRect* rect)
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    cWindowRecord* record = system.find(window);
    if (record == nullptr || rect == nullptr)
    {
        return false;
    }
    const cPoint origin = system.screenOrigin(window);
    *rect = {origin.x, origin.y, origin.x + record->rect.width(), origin.y + record->rect.height()};
    return true;
}

bool getClientRect(WindowHandle window, cRect* rect)
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    cWindowRecord* record = system.find(window);
    if (record == nullptr || rect == nullptr)
    {
        return false;
    }
    *rect = {0, 0, record->rect.width(), record->rect.height()};
    return true;
}

bool clientToScreen(WindowHandle window, cPoint* point)
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    if (system.find(window) == nullptr || point == nullptr)
    {
        return false;
    }
    const cPoint origin = system.screenOrigin(window);
    point->x += origin.x;
    point->y += origin.y;
    return true;
}

bool screenToClient(WindowHandle window, cPoint* point)
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    if (system.find(window) == nullptr || point == nullptr)
    {
        return false;
    }
    const cPoint origin = system.screenOrigin(window);
    point->x -= origin.x;
    point->y -= origin.y;
    return true;
}

bool moveWindow(WindowHandle window, int x, int y, int width, int height, bool repaint)
{
    cWindowSystem& system = windowSystem();
    cRect old;
    cRect now{x, y, x + std::max(width, 0), y + std::max(height, 0)};
    uintptr_t native = 0;
    cWindowBackend* display = nullptr;
    {
        Guard guard(system.lock);
        cWindowRecord* record = system.find(window);
        if (record == nullptr)
        {
            return false;
        }
        old = record->rect;
        record->rect = now;
        native = record->native;
        display = system.backend.get();
    }
    if (native != 0)
    {
        display->setGeometry(native, now);
    }
    if (old.left != now.left || old.top != now.top)
    {
        sendMessage(window, WM_MOVE, 0, makeLParam(now.left, now.top));
    }
    if (old.width() != now.width() || old.height() != now.height())
    {
        sendMessage(window, WM_SIZE, SIZE_RESTORED, sizeParam(now));
    }
    if (repaint)
    {
        invalidateWindow(window, true);
    }
    return true;
}

uint32_t setWindowStyle(WindowHandle window, uint32_t style)
{
    cWindowSystem& system = windowSystem();
    uint32_t old = 0;
    uint32_t exStyle = 0;
    uintptr_t native = 0;
    cWindowBackend* display = nullptr;
    {
        Guard guard(system.lock);
        cWindowRecord* record = system.find(window);
        if (record == nullptr)
        {
            return 0;
        }
        old = record->style;
        // Visibility changes through showWindow below, so it sends its messages.
        record->style = (style & ~WS_VISIBLE) | (old & WS_VISIBLE);
        exStyle = record->exStyle;
        native = record->native;
        display = system.backend.get();
    }
    if (native != 0)
    {
        display->setStyle(native, style, exStyle);
    }
    if ((old & WS_VISIBLE) != (style & WS_VISIBLE))
    {
        showWindow(window, (style & WS_VISIBLE) != 0 ? SW_SHOWNA : SW_HIDE);
    }
    return old;
}

uint32_t getWindowStyle(WindowHandle window)
{
    return readField(window, &cWindowRecord::style);
}

uint32_t setWindowExStyle(WindowHandle window, uint32_t exStyle)
{
    cWindowSystem& system = windowSystem();
    uint32_t old = 0;
    uint32_t style = 0;
    uintptr_t native = 0;
    cWindowBackend* display = nullptr;
    {
        Guard guard(system.lock);
        cWindowRecord* record = system.find(window);
        if (record == nullptr)
        {
            return 0;
        }
        old = std::exchange(record->exStyle, exStyle);
        style = record->style;
        native = record->native;
        display = system.backend.get();
    }
    if (native != 0)
    {
        display->setStyle(native, style, exStyle);
    }
    return old;
}

uint32_t getWindowExStyle(WindowHandle window)
{
    return readField(window, &cWindowRecord::exStyle);
}

bool setTopmost(WindowHandle window, bool topmost)
{
    if (!isWindow(window))
    {
        return false;
    }
    const uint32_t exStyle = getWindowExStyle(window);
    setWindowExStyle(window, topmost ? exStyle | WS_EX_TOPMOST : exStyle & ~WS_EX_TOPMOST);
    return true;
}

bool showWindow(WindowHandle window, int command)
{
    cWindowSystem& system = windowSystem();
    const bool show = command != SW_HIDE;
    bool wasVisible = false;
    bool topLevel = false;
    uintptr_t native = 0;
    cWindowBackend* display = nullptr;
    {
        Guard guard(system.lock);
        cWindowRecord* record = system.find(window);
        if (record == nullptr)
        {
            return false;
        }
        wasVisible = (record->style & WS_VISIBLE) != 0;
        topLevel = isTopLevel(*record);
        if (wasVisible == show)
        {
            native = 0;
        }
        else
        {
            record->style = show ? record->style | WS_VISIBLE : record->style & ~WS_VISIBLE;
            native = record->native;
        }
        display = system.backend.get();
    }
    if (wasVisible != show)
    {
        sendMessage(window, WM_SHOWWINDOW, show ? 1 : 0, 0);
        if (native != 0)
        {
            display->setVisible(native, show);
        }
        if (show)
        {
            invalidateWindow(window, true);
        }
    }
    if (show && topLevel && command != SW_SHOWNA)
    {
        setActiveWindow(window);
    }
    return wasVisible;
}

bool isWindowVisible(WindowHandle window)
{
    return (getWindowStyle(window) & WS_VISIBLE) != 0;
}

// ---------------------------------------------------------------------------------------------
// Painting
// ---------------------------------------------------------------------------------------------

bool invalidateWindow(WindowHandle window, bool erase)
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    cWindowRecord* record = system.find(window);
    if (record == nullptr)
    {
        return false;
    }
    record->needsPaint = true;
    record->needsErase = record->needsErase || erase;
    cWindowSystem::notify(*record->queue);
    return true;
}

bool validateWindow(WindowHandle window)
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    cWindowRecord* record = system.find(window);
    if (record == nullptr)
    {
        return false;
    }
    record->needsPaint = false;
    record->needsErase = false;
    return true;
}

bool needsPaint(WindowHandle window)
{
    return readField(window, &cWindowRecord::needsPaint);
}

bool updateWindow(WindowHandle window)
{
    if (!isWindow(window))
    {
        return false;
    }
    if (needsPaint(window))
    {
        sendMessage(window, WM_PAINT, 0, 0);
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Focus and activation
// ---------------------------------------------------------------------------------------------

WindowHandle setFocus(WindowHandle window)
{
    cWindowSystem& system = windowSystem();
    WindowHandle old = nullptr;
    uintptr_t native = 0;
    cWindowBackend* display = nullptr;
    {
        Guard guard(system.lock);
        if (window != nullptr && system.find(window) == nullptr)
        {
            return nullptr;
        }
        old = system.focus;
        if (old == window)
        {
            return old;
        }
        system.focus = window;
        native = window != nullptr ? system.find(window)->native : 0;
        display = system.backend.get();
    }
    if (window != nullptr)
    {
        setActiveWindow(window);
    }
    if (old != nullptr)
    {
        sendMessage(old, WM_KILLFOCUS, reinterpret_cast<uintptr_t>(window), 0);
    }
    if (window != nullptr)
    {
        sendMessage(window, WM_SETFOCUS, reinterpret_cast<uintptr_t>(old), 0);
    }
    if (native != 0)
    {
        display->setFocus(native);
    }
    return old;
}

WindowHandle getFocus()
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    return system.focus;
}

WindowHandle setActiveWindow(WindowHandle window)
{
    cWindowSystem& system = windowSystem();
    WindowHandle old = nullptr;
    WindowHandle top = nullptr;
    uintptr_t native = 0;
    cWindowBackend* display = nullptr;
    {
        Guard guard(system.lock);
        top = system.topLevelOf(window);
        if (top == nullptr)
        {
            return nullptr;
        }
        old = system.active;
        if (old == top)
        {
            return old;
        }
        system.active = top;
        native = system.find(top)->native;
        display = system.backend.get();
    }
    if (old != nullptr)
    {
        sendMessage(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<intptr_t>(top));
    }
    sendMessage(top, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<intptr_t>(old));
    if (native != 0)
    {
        display->activate(native);
    }
    return old;
}

WindowHandle getActiveWindow()
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    return system.active;
}

// ---------------------------------------------------------------------------------------------
// Cursor and pointer
// ---------------------------------------------------------------------------------------------

CursorHandle loadCursor(int id)
{
    switch (id)
    {
    case IDC_ARROW:
    case IDC_IBEAM:
    case IDC_WAIT:
    case IDC_CROSS:
    case IDC_HAND:
        return reinterpret_cast<CursorHandle>(static_cast<uintptr_t>(id));
    default:
        return nullptr;
    }
}

namespace
{

// Shows the current cursor; the caller does not hold the lock.
void applyCursor(cWindowSystem& system)
{
    std::vector<uintptr_t> natives;
    int id = 0;
    bool visible = true;
    cWindowBackend* display = nullptr;
    {
        Guard guard(system.lock);
        id = static_cast<int>(reinterpret_cast<uintptr_t>(system.cursor));
        visible = system.cursorCount >= 0;
        if (cWindowRecord* under = system.find(system.pointerWindow))
        {
            natives.push_back(under->native);
        }
        else
        {
            const std::shared_ptr<window_detail::cThreadQueue> queue = system.currentQueue();
            for (const auto& [handle, record] : system.windows)
            {
                if (record->queue == queue && record->native != 0)
                {
                    natives.push_back(record->native);
                }
            }
        }
        display = system.backend.get();
    }
    std::erase(natives, uintptr_t{0});
    if (!natives.empty())
    {
        display->setCursor(natives, id, visible);
    }
}

} // namespace

CursorHandle setCursor(CursorHandle cursor)
{
    cWindowSystem& system = windowSystem();
    CursorHandle old = nullptr;
    {
        Guard guard(system.lock);
        old = std::exchange(system.cursor, cursor);
    }
    if (old != cursor)
    {
        applyCursor(system);
    }
    return old;
}

CursorHandle getCursor()
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    return system.cursor;
}

int showCursor(bool show)
{
    cWindowSystem& system = windowSystem();
    int count = 0;
    bool changed = false;
    {
        Guard guard(system.lock);
        const bool wasVisible = system.cursorCount >= 0;
        count = system.cursorCount += show ? 1 : -1;
        changed = wasVisible != (count >= 0);
    }
    if (changed)
    {
        applyCursor(system);
    }
    return count;
}

bool getCursorPos(cPoint* point)
{
    if (point == nullptr)
    {
        return false;
    }
    cWindowSystem& system = windowSystem();
    cWindowBackend* display = nullptr;
    {
        Guard guard(system.lock);
        *point = system.pointer;
        display = system.backend.get();
    }
    display->pointer(point);
    return true;
}

bool setCursorPos(int x, int y)
{
    cWindowSystem& system = windowSystem();
    cWindowBackend* display = nullptr;
    {
        Guard guard(system.lock);
        system.pointer = {x, y};
        display = system.backend.get();
    }
    display->warpPointer({x, y});
    return true;
}

WindowHandle setCapture(WindowHandle window)
{
    cWindowSystem& system = windowSystem();
    WindowHandle old = nullptr;
    uintptr_t native = 0;
    cWindowBackend* display = nullptr;
    {
        Guard guard(system.lock);
        cWindowRecord* record = system.find(window);
        if (record == nullptr)
        {
            return nullptr;
        }
        old = std::exchange(system.capture, window);
        native = record->native;
        display = system.backend.get();
    }
    if (native != 0)
    {
        display->capturePointer(native);
    }
    return old;
}

bool releaseCapture()
{
    cWindowSystem& system = windowSystem();
    cWindowBackend* display = nullptr;
    {
        Guard guard(system.lock);
        if (system.capture == nullptr)
        {
            return true;
        }
        system.capture = nullptr;
        display = system.backend.get();
    }
    display->releasePointer();
    return true;
}

WindowHandle getCapture()
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    return system.capture;
}

// ---------------------------------------------------------------------------------------------
// Dropped files
// ---------------------------------------------------------------------------------------------

std::vector<std::string> droppedFiles(uintptr_t drop)
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    auto it = system.drops.find(drop);
    return it != system.drops.end() ? it->second.files : std::vector<std::string>{};
}

bool dropPoint(uintptr_t drop, cPoint* point)
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    auto it = system.drops.find(drop);
    if (it == system.drops.end() || point == nullptr)
    {
        return false;
    }
    *point = it->second.point;
    return true;
}

void finishDrop(uintptr_t drop)
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    system.drops.erase(drop);
}

} // namespace qelt::platform

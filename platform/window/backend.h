// The display side of the window system: what the window table asks of real (or virtual)
// windows. One backend per process; every operation may be called from any thread.
#pragma once

#include "platform/message_box.h"
#include "platform/window/messages.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qelt::platform
{

// What a native window is made from. rect is relative to the parent's client area, or on the
// screen for a top-level window.
struct cNativeWindowSpec
{
    WindowHandle handle = nullptr;
    uintptr_t parent = 0; // native id of the parent; 0 for a top-level window
    cRect rect;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    std::string title;
    std::string className;
    bool background = false; // fill with the background colour when exposed
};

struct cMessageBoxRequest
{
    std::string caption;
    std::string text;
    MessageBoxButtons buttons = MessageBoxButtons::Ok;
    MessageBoxIcon icon = MessageBoxIcon::None;
};

// Called once with the answer, on any thread.
using MessageBoxAnswered = std::function<void(MessageBoxAnswer)>;

// The answer a box gets when nobody can answer it: OK, or Yes.
MessageBoxAnswer defaultAnswer(MessageBoxButtons buttons);

class cWindowBackend
{
  public:
    virtual ~cWindowBackend() = default;

    // "headless" or "x11".
    virtual const char* name() const = 0;
    // Makes the native window; its id, or 0 when windows are virtual.
    virtual uintptr_t createWindow(const cNativeWindowSpec& spec) = 0;
    // Destroys a native window made by createWindow.
    virtual void destroyWindow(uintptr_t native) = 0;
    // Shows the title in the window's frame.
    virtual void setTitle(uintptr_t native, const std::string& title) = 0;
    // Moves and sizes the window (rect as in cNativeWindowSpec).
    virtual void setGeometry(uintptr_t native, const cRect& rect) = 0;
    // Applies frame (WS_CAPTION, WS_POPUP) and stacking (WS_EX_TOPMOST) of the styles.
    virtual void setStyle(uintptr_t native, uint32_t style, uint32_t exStyle) = 0;
    // Maps or unmaps the window.
    virtual void setVisible(uintptr_t native, bool visible) = 0;
    // Gives the window the keyboard focus.
    virtual void setFocus(uintptr_t native) = 0;
    // Raises a top-level window and makes it the active one.
    virtual void activate(uintptr_t native) = 0;
    // Shows the standard cursor id (IDC_*, 0 for none) over each window, or no cursor at all.
    virtual void setCursor(const std::vector<uintptr_t>& natives, int cursorId, bool visible) = 0;
    // The pointer on the screen; false when the backend does not track it.
    virtual bool pointer(cPoint* point) = 0;
    // Moves the pointer on the screen.
    virtual void warpPointer(const cPoint& point) = 0;
    // Sends every pointer event to the window until releasePointer.
    virtual void capturePointer(uintptr_t native) = 0;
    virtual void releasePointer() = 0;
    virtual cPoint screenSize() = 0;
    // The connection to the display (an Xlib Display*), null without one.
    virtual void* nativeDisplay() = 0;
    // Shows the box and returns at once; answered is called when the box has its answer.
    virtual void showMessageBox(const cMessageBoxRequest& request, MessageBoxAnswered answered) = 0;
    // Stops the backend's threads and lets go of the display; the backend does nothing after.
    virtual void shutdown() = 0;
};

std::unique_ptr<cWindowBackend> createHeadlessBackend();
// Null when the display cannot be opened; reason says why.
std::unique_ptr<cWindowBackend> createX11Backend(std::string* reason);

} // namespace qelt::platform

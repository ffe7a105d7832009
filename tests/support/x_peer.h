// A second client on a test's X display that looks at the windows as a user's tools would:
// top-level windows by name, children, attributes, and client messages such as a close request.
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

namespace qelt::testing
{

class cXPeer
{
  public:
    explicit cXPeer(const std::string& display) : display_(XOpenDisplay(display.c_str())) {}
    ~cXPeer()
    {
        if (display_ != nullptr)
            XCloseDisplay(display_);
    }
    cXPeer(const cXPeer&) = delete;
    cXPeer& operator=(const cXPeer&) = delete;
    Display* display() const { return display_; }

    // The top-level window of that name; 0 when there is none.
    ::Window findTopLevel(const std::string& name)
    {
        ::Window found = 0;
        for (::Window child : children(DefaultRootWindow(display_)))
        {
            char* title = nullptr;
            if (XFetchName(display_, child, &title) != 0 && title != nullptr)
            {
                if (name == title)
                    found = child;
                XFree(title);
            }
        }
        return found;
    }

    std::vector<::Window> children(::Window window)
    {
        XSync(display_, False);
        ::Window root = 0;
        ::Window parent = 0;
        ::Window* list = nullptr;
        unsigned int count = 0;
        std::vector<::Window> result;
        if (XQueryTree(display_, window, &root, &parent, &list, &count) != 0)
            result.assign(list, list + count);
        if (list != nullptr)
            XFree(list);
        return result;
    }

    XWindowAttributes attributes(::Window window)
    {
        XWindowAttributes result{};
        XGetWindowAttributes(display_, window, &result);
        return result;
    }

    std::string name(::Window window)
    {
        XSync(display_, False);
        char* title = nullptr;
        std::string result;
        if (XFetchName(display_, window, &title) != 0 && title != nullptr)
        {
            result = title;
            XFree(title);
        }
        return result;
    }

    void clientMessage(::Window to, const char* type, long l0, long l1 = 0, long l2 = 0,
                       long l3 = 0, long l4 = 0)
    {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = to;
        event.xclient.message_type = XInternAtom(display_, type, False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = l0;
        event.xclient.data.l[1] = l1;
        event.xclient.data.l[2] = l2;
        event.xclient.data.l[3] = l3;
        event.xclient.data.l[4] = l4;
        XSendEvent(display_, to, False, NoEventMask, &event);
        XFlush(display_);
    }

    // What the window manager sends when the user clicks the close box.
    void closeBox(::Window to)
    {
        clientMessage(to, "WM_PROTOCOLS",
                      static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False)),
                      CurrentTime);
    }

  private:
    Display* display_;
};

} // namespace qelt::testing

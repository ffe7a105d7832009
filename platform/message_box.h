// Modal message boxes: a caption, a text, an icon and OK or Yes/No buttons.
#pragma once

#include <string>

namespace qelt::platform
{

enum class MessageBoxButtons
{
    Ok,
    YesNo,
};

enum class MessageBoxIcon
{
    None,
    Information,
    Warning,
    Error,
};

enum class MessageBoxAnswer
{
    Ok,
    Yes,
    No,
};

// Shows the box and waits for the answer, modal for the calling thread: while the box is up the
// caller's own message queue keeps being pumped (what is queued when the box comes up is handled
// before it returns), and a WM_QUIT taken meanwhile is queued again for the caller's own loop.
// On a display the box is a dialog of its own. Without a display (the headless window system)
// the box is one line "<caption>: <text>" on stderr, answered by the next word of the
// comma-separated list in QELT_MESSAGEBOX_ANSWERS ("ok", "yes", "no"), or by the default button:
// OK, or Yes.
MessageBoxAnswer messageBox(const std::string& caption, const std::string& text,
                            MessageBoxButtons buttons = MessageBoxButtons::Ok,
                            MessageBoxIcon icon = MessageBoxIcon::None);

} // namespace qelt::platform

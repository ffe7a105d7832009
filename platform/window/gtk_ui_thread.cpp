// The GTK UI thread: starts GTK on the display, shows message boxes as GTK dialogs and hands
// their answers back.
#include "platform/window/gtk_ui_thread.h"

#include <gtk/gtk.h>

#include <set>

namespace qelt::platform
{

namespace
{

// One box on the screen; lives on the UI thread from the idle call to its answer.
struct cBox
{
    cMessageBoxRequest request;
    MessageBoxAnswered answered;
    GtkWidget* dialog = nullptr;
};

// Only the UI thread touches this.
std::set<cBox*>& openBoxes()
{
    static std::set<cBox*> boxes;
    return boxes;
}

MessageBoxAnswer answerFor(const cBox& box, int response)
{
    if (box.request.buttons == MessageBoxButtons::Ok)
    {
        return MessageBoxAnswer::Ok;
    }
    // Closing a question without answering it does not agree to it.
    return response == GTK_RESPONSE_YES ? MessageBoxAnswer::Yes : MessageBoxAnswer::No;
}

void finish(cBox* box, MessageBoxAnswer answer)
{
    openBoxes().erase(box);
    gtk_widget_destroy(box->dialog);
    box->answered(answer);
    delete box;
}

void onResponse(GtkDialog*, int response, gpointer data)
{
    auto* box = static_cast<cBox*>(data);
    finish(box, answerFor(*box, response));
}

gboolean showBox(gpointer data)
{
    auto* box = static_cast<cBox*>(data);
    GtkMessageType type = GTK_MESSAGE_OTHER;
    switch (box->request.icon)
    {
    case MessageBoxIcon::None:
        type = GTK_MESSAGE_OTHER;
        break;
    case MessageBoxIcon::Information:
        type = GTK_MESSAGE_INFO;
        break;
    case MessageBoxIcon::Warning:
        type = GTK_MESSAGE_WARNING;
        break;
    case MessageBoxIcon::Error:
        type = GTK_MESSAGE_ERROR;
        break;
    }
    const bool ok = box->request.buttons == MessageBoxButtons::Ok;
    box->dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, type,
                                         ok ? GTK_BUTTONS_OK : GTK_BUTTONS_YES_NO, "%s",
                                         box->request.text.c_str());
    gtk_window_set_title(GTK_WINDOW(box->dialog), box->request.caption.c_str());
    gtk_window_set_keep_above(GTK_WINDOW(box->dialog), TRUE);
    gtk_dialog_set_default_response(GTK_DIALOG(box->dialog),
                                    ok ? GTK_RESPONSE_OK : GTK_RESPONSE_YES);
    g_signal_connect(box->dialog, "response", G_CALLBACK(onResponse), box);
    openBoxes().insert(box);
    gtk_widget_show_all(box->dialog);
    gtk_window_present(GTK_WINDOW(box->dialog));
    return G_SOURCE_REMOVE;
}

gboolean quitLoop(gpointer)
{
    while (!openBoxes().empty())
    {
        cBox* box = *openBoxes().begin();
        finish(box, defaultAnswer(box->request.buttons));
    }
    gtk_main_quit();
    return G_SOURCE_REMOVE;
}

} // namespace

cGtkUiThread::~cGtkUiThread()
{
    stop();
}

bool cGtkUiThread::start()
{
    std::unique_lock<std::mutex> guard(lock_);
    if (state_ == State::NotStarted)
    {
        thread_ = std::thread([this] { run(); });
        changed_.wait(guard, [this] { return state_ != State::NotStarted; });
    }
    return state_ == State::Running;
}

void cGtkUiThread::run()
{
    // Our windows are X11 windows; GTK must not pick another display protocol.
    gdk_set_allowed_backends("x11");
    const bool up = gtk_init_check(nullptr, nullptr) != FALSE;
    {
        std::lock_guard<std::mutex> guard(lock_);
        state_ = up ? State::Running : State::Failed;
    }
    changed_.notify_all();
    if (up)
    {
        gtk_main();
    }
}

bool cGtkUiThread::showMessageBox(const cMessageBoxRequest& request, MessageBoxAnswered answered)
{
    if (!start())
    {
        return false;
    }
    // Under the lock, so a stop that comes later closes this box instead of missing it.
    std::lock_guard<std::mutex> guard(lock_);
    if (state_ != State::Running)
    {
        return false;
    }
    g_idle_add(showBox, new cBox{request, std::move(answered), nullptr});
    return true;
}

void cGtkUiThread::stop()
{
    bool join = false;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (state_ == State::Running)
        {
            g_idle_add(quitLoop, nullptr);
        }
        join = thread_.joinable();
        if (state_ != State::NotStarted)
        {
            state_ = State::Stopped;
        }
    }
    if (join)
    {
        thread_.join();
    }
}

} // namespace qelt::platform

// GTK 3 on a thread of its own: the dialogs of the X11 backend (message boxes now; menus and
// dialogs later) live there, so no other thread ever touches GTK.
#pragma once

#include "platform/window/backend.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace qelt::platform
{

// Started on first use and stopped by stop() or the destructor. Thread-safe.
class cGtkUiThread
{
  public:
    cGtkUiThread() = default;
    ~cGtkUiThread();
    cGtkUiThread(const cGtkUiThread&) = delete;
    cGtkUiThread& operator=(const cGtkUiThread&) = delete;

    // Shows the box on the UI thread and returns at once; answered runs on the UI thread when
    // the user answers. false when GTK cannot start (no display), and nothing is shown.
    bool showMessageBox(const cMessageBoxRequest& request, MessageBoxAnswered answered);
    // Ends the GTK main loop and the thread; open boxes are closed with their default answer.
    void stop();

  private:
    enum class State
    {
        NotStarted,
        Running,
        Failed,
        Stopped,
    };

    // Starts the thread and waits until GTK is up or has failed; true when running.
    bool start();
    void run();

    std::mutex lock_;
    std::condition_variable changed_;
    State state_ = State::NotStarted;
    std::thread thread_;
};

} // namespace qelt::platform

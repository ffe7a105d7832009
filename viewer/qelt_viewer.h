// The one viewer object of the engine library: the view slot, the viewer lock, the view thread
// with its window and frame loop, and the start of scene loading.
//
// Threads: the host thread calls the exports and runs the hook on the render window; the view
// thread owns the view window and renders the frames; the loader thread reads a scene. The viewer
// lock (re-entrant, combined with the renderer's own lock) guards the scene and the renderer; the
// view slot allows one view at a time. The flags that cross threads are atomic.
#pragma once

#include "platform/window/messages.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <semaphore>
#include <string>
#include <thread>

namespace qelt
{

class cFile;
class cLoadingProgress;

class cQeltViewer
{
  public:
    using WindowHandle = platform::WindowHandle;

    cQeltViewer();
    ~cQeltViewer();
    cQeltViewer(const cQeltViewer&) = delete;
    cQeltViewer& operator=(const cQeltViewer&) = delete;

    // ---- the view ------------------------------------------------------------------------------
    // Starts the view thread unless a view runs; returns the view window field (not yet made).
    WindowHandle startView(WindowHandle parent, int x, int y, int width, int height,
                           const std::string& driverName);
    // Asks the running view to end; only logs when none runs.
    void stopView();
    // Ends the running view and starts one on the named driver in the same window once the old
    // one has ended (see viewEnded).
    void restartView(const std::string& driverName);
    // Called by the hook when the ending view told the host window (WM_USER+1): true when a
    // renderer switch was waiting for it and the new view is started, so the window stays open.
    bool viewEnded();
    // Gives the host window the windowed style and mode size, or makes it cover the screen.
    void applyWindowMode();

    // ---- the viewer lock -----------------------------------------------------------------------
    void lock();
    bool tryLock();
    void unlock();

    // ---- loading -------------------------------------------------------------------------------
    // Starts the loader thread on the file (owned from now on); returns its handle.
    void* startLoader(std::unique_ptr<cFile> file);
    // The loading sequence, on the calling thread.
    void loadScene(std::unique_ptr<cFile> file);

    // ---- state the exports and the hook read ---------------------------------------------------
    WindowHandle viewWindow() const { return viewWindow_.load(); }
    bool running() const { return running_.load(); }
    void setParentWindow(WindowHandle window) { parentWindow_ = window; }
    WindowHandle parentWindow() const { return parentWindow_; }
    void setDriverName(const std::string& name);
    std::string driverName();

  private:
    static intptr_t viewProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                                  intptr_t lParam);
    intptr_t handleViewMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                               intptr_t lParam);
    void viewThread();
    void renderFrame();
    void shutdownView();
    // The view could not start: lock and slot go back and a waiting loader gives up.
    void abandonView(bool destroy);
    void joinThreads();

    std::counting_semaphore<1> viewSlot_{1};
    std::recursive_mutex viewerLock_;

    std::mutex nameLock_;    // guards driverName_ and pendingDriver_
    std::string driverName_; // of the view to start
    std::string pendingDriver_;
    bool switchPending_ = false; // host thread only

    WindowHandle parentWindow_ = nullptr;
    std::atomic<WindowHandle> viewWindow_{nullptr};
    // Written by the view thread on resizes, read by the host thread for a renderer switch.
    std::atomic<int> viewX_{0}, viewY_{0}, viewWidth_{0}, viewHeight_{0};
    int modeWidth_ = 0, modeHeight_ = 0;
    bool stereo_ = false;
    std::atomic<bool> active_{false};
    std::atomic<bool> fullscreen_{false}; // toggled by F2 on the view thread
    bool topmost_ = true;
    int soundMode_ = 1;
    int dr_ = 0;
    std::atomic<bool> running_{false};
    std::atomic<bool> viewFailed_{false}; // the last view could not start
    std::atomic<bool> focused_{false};    // stands for the control reader's enabled state
    std::atomic<bool> statistics_{false};
    std::atomic<bool> closing_{false}; // the library goes: loaders stop waiting
    std::atomic<cLoadingProgress*> loadingProgress_{nullptr};

    std::thread viewThread_;
    std::thread loaderThread_;
    std::mutex threadLock_; // guards the two thread objects

    // Frame statistics (view thread).
    int frames_ = 0;
    int64_t primitives_ = 0;
    uint32_t statisticsStart_ = 0;
};

// The library's viewer, made on first use.
cQeltViewer& qeltViewer();

} // namespace qelt

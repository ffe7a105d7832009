// The engine side of the renderer contract: the callback a renderer reports to, and the default
// one, which fires the "Renderer.*" events.
#pragma once

#include <cstdarg>

namespace qelt
{

class cRendererTargetHandle;
struct cRendererParams;

class cRendererCallback
{
  public:
    virtual ~cRendererCallback() = default;
    // A renderer now exists with its first target.
    virtual void onLoad(const cRendererParams* params, cRendererTargetHandle* target) = 0;
    // The renderer is about to go; every handle must be dropped.
    virtual void onUnload() = 0;
    // The device is about to lose its resources.
    virtual void onInvalidate() = 0;
    // The device has its resources again; handles may be made.
    virtual void onRestore() = 0;
    // A line for the log manager (printf conventions).
    virtual void log(const char* format, va_list args) = 0;
};

// Fires "Renderer.Load", "Renderer.Unload", "Renderer.Invalidate" and "Renderer.Restore" through
// the event dispatcher at once, and logs as the renderer source.
class cRendererCallbackDefault : public cRendererCallback
{
  public:
    void onLoad(const cRendererParams* params, cRendererTargetHandle* target) override;
    void onUnload() override;
    void onInvalidate() override;
    void onRestore() override;
    void log(const char* format, va_list args) override __attribute__((format(printf, 2, 0)));
};

// The one default instance of this module.
cRendererCallback& defaultRendererCallback();

} // namespace qelt

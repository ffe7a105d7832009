// The default renderer callback: renderer changes become events, renderer lines go to the log.
#include "render/renderer_callback.h"

#include "core/event_dispatcher.h"
#include "core/event_type.h"
#include "core/log_manager.h"

namespace qelt
{

namespace
{
cEventType rendererEvent(nullptr, "Renderer");
cEventType loadEvent("Renderer", "Load");
cEventType unloadEvent("Renderer", "Unload");
cEventType invalidateEvent("Renderer", "Invalidate");
cEventType restoreEvent("Renderer", "Restore");
} // namespace

void cRendererCallbackDefault::onLoad(const cRendererParams*, cRendererTargetHandle*)
{
    eventDispatcher().sendRenderer(loadEvent);
}

void cRendererCallbackDefault::onUnload()
{
    eventDispatcher().sendRenderer(unloadEvent);
}

void cRendererCallbackDefault::onInvalidate()
{
    eventDispatcher().sendRenderer(invalidateEvent);
}

void cRendererCallbackDefault::onRestore()
{
    eventDispatcher().sendRenderer(restoreEvent);
}

void cRendererCallbackDefault::log(const char* format, va_list args)
{
    if (cLogManager* manager = logManager())
        manager->vlog(cLogManager::kSourceRenderer, cLogManager::kLevelMessage, format, args);
}

cRendererCallback& defaultRendererCallback()
{
    static cRendererCallbackDefault callback;
    return callback;
}

} // namespace qelt

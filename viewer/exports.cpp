// The engine library's exports and its start-up when the system loader attaches it.
#include "viewer/exports.h"

#include "core/file.h"
#include "core/file_manager.h"
#include "core/file_memory.h"
#include "core/log_handlers.h"
#include "core/log_manager.h"
#include "render/effect_table.h"
#include "render/renderer.h"
#include "render/renderer_commands.h"
#include "render/renderer_loader.h"
#include "shell/shell.h"
#include "sound/system_mixer_fade.h"
#include "viewer/mini_dump.h"
#include "viewer/qelt_viewer.h"
#include "viewer/render_window_hook.h"

#include <atomic>
#include <mutex>
#include <memory>
#include <strings.h>

using qelt::platform::WindowHandle;

namespace qelt
{

namespace
{

std::atomic<WindowHandle> g_messageWindow{nullptr};

// What the first attach does: log handlers, the dump name and, when asked for, the crash handler.
__attribute__((constructor)) void attachLibrary()
{
    if (cLogManager* manager = logManager())
        addStartupLogHandlers(*manager);
    prepareMiniDump();
}

// The viewer's shell commands and those of the renderer, registered once the shell is wanted.
void registerCommands()
{
    static std::once_flag once;
    std::call_once(once,
                   []
                   {
                       // The "Shell" event type is registered and the shell attached before any
                       // view thread delivers events: registering it later, under the shell's lock,
                       // would take the dispatcher's lock in the opposite order to the view
                       // thread's delivery.
                       shellEventType();
                       if (cShell* commands = shell())
                       {
                           registerRendererCommands(*commands);
                           commands->attachEvents();
                       }
                   });
}

} // namespace

} // namespace qelt

using namespace qelt;

QELT_EXPORT WindowHandle SetRenderWindow(WindowHandle window)
{
    qeltViewer().setParentWindow(window);
    return window;
}

QELT_EXPORT WindowHandle SetMessageWindow(WindowHandle window)
{
    g_messageWindow = window;
    return window;
}

QELT_EXPORT void Run(int reserved, const char* driver, const char* visibility)
{
    cQeltViewer& viewer = qeltViewer();
    registerCommands();
    installRenderWindowHook(viewer.parentWindow());
    viewer.setDriverName(driver != nullptr ? driver : "");
}

QELT_EXPORT void* LoadSceneFromFile(const char* path)
{
    if (path == nullptr)
        return nullptr;
    cQeltViewer& viewer = qeltViewer();
    registerCommands();
    std::unique_ptr<cFile> file{fileManager()->openFile(path)};
    if (!file)
        return nullptr;
    return viewer.startLoader(std::move(file));
}

QELT_EXPORT void* LoadSceneFromMemory(const void* data, uint32_t size)
{
    cQeltViewer& viewer = qeltViewer();
    registerCommands();
    return viewer.startLoader(std::make_unique<cFileMemory>(data, size));
}

QELT_EXPORT void Exec(const char* command)
{
    if (command == nullptr)
        return;
    qeltViewer();
    registerCommands();
    if (cShell* commands = shell())
        commands->postCommand(command);
}

QELT_EXPORT uint8_t IsEffectValid(const char* effectName)
{
    if (effectName == nullptr)
        return 0;
    for (int id = 0; id < kEffectCount; ++id)
    {
        if (strcasecmp(effectName, kEffectTable[id].name) != 0)
            continue;
        cRenderer* renderer = currentRenderer();
        return renderer != nullptr && renderer->isEffectValid(id) ? 1 : 0;
    }
    return 0;
}

QELT_EXPORT void Close()
{
    closeEngine();
}

// The fades of the system mixer block the calling host thread for their duration.
QELT_EXPORT int16_t FadeToLine(int kind, int duration, int target, int device)
{
    return systemMixerFade().fadeToLine(kind, duration, target, device);
}

QELT_EXPORT int16_t FadeRestoreLine(int duration)
{
    return systemMixerFade().fadeRestoreLine(duration);
}

// Renderer loading and the current renderer of the engine.
#include "render/renderer_loader.h"

#include "core/file_manager.h"
#include "core/log_manager.h"
#include "platform/shared_library.h"
#include "render/renderer_callback.h"
#include "render/renderer_none.h"

#include <memory>
#include <vector>

namespace qelt
{

namespace
{
cRenderer* current = nullptr; // owned, with its module
cRendererParams lastParams;

// Modules whose export was missing stay loaded for the life of the process.
std::vector<std::unique_ptr<platform::cSharedLibrary>>& keptModules()
{
    static std::vector<std::unique_ptr<platform::cSharedLibrary>> modules;
    return modules;
}

// The extension the search uses for a module: "dll" as the platform spells it.
std::string moduleExtension()
{
    const std::string file = platform::sharedLibraryFileName("x.dll");
    return file.substr(file.find('.') + 1);
}
} // namespace

cRenderer* loadRenderer(const std::string& driverName, cRendererParams* params,
                        cRendererTargetHandle** outTarget, cRendererCallback* callback)
{
    CreateRendererFunction factory = createNullRenderer;
    std::unique_ptr<platform::cSharedLibrary> module;
    if (!driverName.empty() && driverName != "none")
    {
        module = std::make_unique<platform::cSharedLibrary>();
        if (!module->open(driverName))
        {
            const std::string plugin = "plinth_" + driverName;
            char path[512];
            cFileManager* files = fileManager();
            if (!files ||
                !files->findFile(plugin.c_str(), moduleExtension().c_str(), path, sizeof(path)))
                return nullptr;
            debugf("Loading renderer from \"%s\"\n", path);
            if (!module->open(path))
            {
                messagef("Could not load renderer DLL (%s)", driverName.c_str());
                return nullptr;
            }
        }
        factory = reinterpret_cast<CreateRendererFunction>(module->symbol("CreateRenderer"));
        if (!factory)
        {
            messagef("Could not find CreateRenderer in DLL (%s)", driverName.c_str());
            keptModules().push_back(std::move(module));
            return nullptr;
        }
    }

    cRendererTargetHandle* target = nullptr;
    cRenderer* renderer =
        factory(params, callback ? callback : &defaultRendererCallback(), &target);
    if (!renderer)
    {
        messagef("Could not create renderer");
        return nullptr;
    }
    renderer->setModule(module.release());
    renderer->setDriverName(driverName);
    if (params)
        renderer->setFirstTargetParams(*params);
    if (outTarget)
        *outTarget = target;
    return renderer;
}

void destroyRenderer(cRenderer* renderer)
{
    if (!renderer)
        return;
    // The module holds the renderer's code, so it goes after the renderer.
    std::unique_ptr<platform::cSharedLibrary> module(renderer->module());
    renderer->destroy();
}

bool setRenderer(const std::string& driverName, cRendererParams* params,
                 cRendererTargetHandle** outTarget, cRendererCallback* callback)
{
    if (current)
    {
        cRendererCallback& events = defaultRendererCallback();
        events.onInvalidate();
        events.onUnload();
        cRenderer* old = current;
        current = nullptr;
        destroyRenderer(old);
    }

    cRendererParams used = params ? *params : lastParams;
    cRendererTargetHandle* target = nullptr;
    cRenderer* renderer = loadRenderer(driverName, &used, &target, callback);
    if (params)
        *params = used;
    if (outTarget)
        *outTarget = target;
    if (!renderer)
        return false;

    current = renderer;
    lastParams = used;
    cRendererCallback* events =
        renderer->callback() ? renderer->callback() : &defaultRendererCallback();
    events->onLoad(&used, target);
    renderer->lock();
    events->onRestore();
    renderer->unlock();
    return true;
}

cRenderer* currentRenderer()
{
    return current;
}

const cRendererParams& lastRendererParams()
{
    return lastParams;
}

} // namespace qelt

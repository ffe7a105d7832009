// The "renderer" shell group and "ver": the current renderer's driver, texture settings, target
// mode and screenshot, and the versions of the engine and the renderer module.
#include "render/renderer_commands.h"

#include "platform/shared_library.h"
#include "platform/system.h"
#include "render/renderer_handle.h"
#include "render/renderer_loader.h"
#include "shell/shell.h"

#include <memory>
#include <vector>

namespace qelt
{

namespace
{

std::function<bool(void*)>& foregroundHandler()
{
    static std::function<bool(void*)> handler;
    return handler;
}

// ---- variables ----------------------------------------------------------------------------------
// Each reads the current renderer and writes through it; with none they read as empty, false and
// 0, and writes of the texture settings do nothing.

class cVariableRendererDriver final : public cExpressionStatic, public cShellName
{
  public:
    explicit cVariableRendererDriver(cShell* shell)
        : cShellName("renderer", "driver", "Current rendering driver")
    {
        shell->registerName(*this);
    }
    ~cVariableRendererDriver() override
    {
        if (registeredShell())
            registeredShell()->unregisterName(*this);
    }
    cExpression* shellExpression() override { return this; }
    int kind() const override { return eValueString; }
    bool getString(std::string& out) const override
    {
        const cRenderer* renderer = currentRenderer();
        out = renderer ? renderer->driverName() : std::string();
        return true;
    }
    bool setString(const std::string& value) override
    {
        setRenderer(value);
        return true;
    }
};

class cVariableRendererCompression final : public cValueTyped<bool, cExpressionStatic>,
                                           public cShellName
{
  public:
    explicit cVariableRendererCompression(cShell* shell)
        : cShellName("renderer", "compression", "Texture compression")
    {
        shell->registerName(*this);
    }
    ~cVariableRendererCompression() override
    {
        if (registeredShell())
            registeredShell()->unregisterName(*this);
    }
    cExpression* shellExpression() override { return this; }

  protected:
    bool read(bool& out) const override
    {
        cRenderer* renderer = currentRenderer();
        out = renderer && renderer->textureCompression();
        return true;
    }
    bool write(const bool& value) override
    {
        if (cRenderer* renderer = currentRenderer())
            renderer->setTextureCompression(value);
        return true;
    }
};

class cVariableRendererReduction final : public cValueTyped<int32_t, cExpressionStatic>,
                                         public cShellName
{
  public:
    explicit cVariableRendererReduction(cShell* shell)
        : cShellName("renderer", "reduction", "Texture reduction")
    {
        shell->registerName(*this);
    }
    ~cVariableRendererReduction() override
    {
        if (registeredShell())
            registeredShell()->unregisterName(*this);
    }
    cExpression* shellExpression() override { return this; }

  protected:
    bool read(int32_t& out) const override
    {
        cRenderer* renderer = currentRenderer();
        out = renderer ? renderer->textureReduction() : 0;
        return true;
    }
    bool write(const int32_t& value) override
    {
        if (cRenderer* renderer = currentRenderer())
            renderer->setTextureReduction(value);
        return true;
    }
};

// ---- commands -----------------------------------------------------------------------------------

// The first target of the current renderer, or null after reporting "No renderer targets".
cRendererTargetHandle* firstTarget(cShellCall& call)
{
    cRenderer* renderer = currentRenderer();
    if (!renderer || renderer->targetCount() == 0 || !renderer->target(0))
    {
        call.reportf("No renderer targets");
        return nullptr;
    }
    return renderer->target(0);
}

// The integer arguments, or false when one is not a number.
bool integerArguments(cShellCall& call, std::vector<int32_t>& out)
{
    for (int i = 0; i < call.argumentCount(); ++i)
    {
        const cExpression& argument = call.argument(i);
        int32_t value = 0;
        if (argument.kind() != eValueNumber || !argument.getInt(value))
            return false;
        out.push_back(value);
    }
    return true;
}

void commandFullscreen(cShellCall& call)
{
    cRendererTargetHandle* target = firstTarget(call);
    if (!target)
        return;
    std::vector<int32_t> numbers;
    const bool numeric = integerArguments(call, numbers);
    cRendererParams params = target->params();
    if (numeric && numbers.empty())
    {
        params.left = 0;
        params.top = 0;
        params.right = 1280;
        params.bottom = 1024;
    }
    else if (numeric && numbers.size() == 2)
    {
        params.left = 0;
        params.top = 0;
        params.right = numbers[0];
        params.bottom = numbers[1];
    }
    else
    {
        call.reportf("Usage: renderer.fullscreen | renderer.fullscreen <width>,<height>");
        return;
    }
    params.fullScreen = 1;
    target->reconfigure(params);
}

void commandWindow(cShellCall& call)
{
    cRendererTargetHandle* target = firstTarget(call);
    if (!target)
        return;
    std::vector<int32_t> numbers;
    const bool numeric = integerArguments(call, numbers);
    int32_t x = 50, y = 50, width = 800, height = 600;
    if (numeric && numbers.size() == 2)
    {
        width = numbers[0];
        height = numbers[1];
    }
    else if (numeric && numbers.size() == 4)
    {
        x = numbers[0];
        y = numbers[1];
        width = numbers[2];
        height = numbers[3];
    }
    else if (!numeric || !numbers.empty())
    {
        call.reportf("Usage: renderer.window | renderer.window <width>,<height> | "
                     "renderer.window <x>,<y>,<width>,<height>");
        return;
    }
    cRendererParams params = target->params();
    params.left = x;
    params.top = y;
    params.right = x + width;
    params.bottom = y + height;
    params.fullScreen = 0;
    target->reconfigure(params);
}

void commandForeground(cShellCall& call)
{
    cRendererTargetHandle* target = firstTarget(call);
    if (!target)
        return;
    void* window = target->params().window;
    if (!window)
    {
        call.reportf("No renderer window");
        return;
    }
    if (!foregroundHandler() || !foregroundHandler()(window))
        call.reportf("Cannot bring the renderer window to the front");
}

void commandScreenshot(cShellCall& call)
{
    cRendererTargetHandle* target = firstTarget(call);
    if (!target)
        return;
    std::string path;
    const cExpression& argument = call.argument(0);
    if (call.argumentCount() < 1 || argument.kind() != eValueString || !argument.getString(path))
    {
        call.reportf("No BMP file specified for screenshot");
        return;
    }
    if (!currentRenderer()->saveScreenshot(path.c_str()))
        call.reportf("The renderer cannot save a screenshot");
}

void commandVer(cShellCall& call)
{
    static const int anchor = 0;
    call.reportf("QELT:\n");
    call.reportf("    Module : %s\n", platform::modulePath(&anchor).c_str());
    call.reportf("    Version: %s\n", versionString(&engineVersion()).c_str());
    call.reportf("Renderer:\n");
    const cRenderer* renderer = currentRenderer();
    const platform::cSharedLibrary* module = renderer ? renderer->module() : nullptr;
    if (!module)
    {
        call.reportf("    Not loaded\n");
        return;
    }
    const void* version = module->symbol(kModuleVersionExport);
    const void* address = version ? version : module->symbol("CreateRenderer");
    call.reportf("    Module : %s\n", platform::modulePath(address).c_str());
    call.reportf("    Version: %s\n",
                 versionString(static_cast<const cModuleVersion*>(version)).c_str());
}

} // namespace

std::string versionString(const cModuleVersion* version)
{
    if (!version)
        return std::string();
    char text[96];
    std::snprintf(text, sizeof(text), "%s%s%d.%d.%d.%d", version->preRelease ? "PreRelease " : "",
                  version->debug ? "D" : "R", version->major, version->minor, version->build,
                  version->revision);
    return text;
}

const cModuleVersion& engineVersion()
{
#ifdef NDEBUG
    static const cModuleVersion version{false, false, 1, 0, 0, 0};
#else
    static const cModuleVersion version{false, true, 1, 0, 0, 0};
#endif
    return version;
}

void setForegroundHandler(std::function<bool(void* window)> handler)
{
    foregroundHandler() = std::move(handler);
}

void registerRendererCommands(cShell& shell)
{
    // Kept for the life of the process, like static entries.
    static auto* entries = new std::vector<std::unique_ptr<cShellName>>;
    cShell* s = &shell;
    entries->push_back(std::make_unique<cShellGroup>(nullptr, "renderer", "Renderer Commands", s));
    entries->push_back(std::make_unique<cVariableRendererDriver>(s));
    entries->push_back(std::make_unique<cVariableRendererCompression>(s));
    entries->push_back(std::make_unique<cVariableRendererReduction>(s));
    auto add = [&](cShellHandler handler, const char* group, const char* name, const char* help) {
        entries->push_back(
            std::make_unique<cShellFunction>(std::move(handler), group, name, help, s));
    };
    add(commandFullscreen, "renderer", "fullscreen", "Set fullscreen mode");
    add(commandWindow, "renderer", "window", "Set windowed mode");
    add(commandForeground, "renderer", "foreground", "Bring renderer window to front");
    add(commandScreenshot, "renderer", "screenshot", "save screen to a BMP file");
    add(commandVer, nullptr, "ver", "Show software version");
}

} // namespace qelt

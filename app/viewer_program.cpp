// qelt_viewer's start-up: unpacking the library package, the "qelt Publisher" window, loading
// and binding the engine, handing over the scene, the message loop and the end.
#include "app/viewer_program.h"

#include "app/appended_scene.h"
#include "app/close_signals.h"
#include "app/command_line.h"
#include "app/engine_binding.h"
#include "app/package.h"
#include "app/publish.h"
#include "core/file_memory.h"
#include "platform/message_box.h"
#include "platform/path.h"
#include "platform/resources.h"
#include "platform/shared_library.h"
#include "platform/system.h"
#include "platform/window/message_queue.h"
#include "platform/window/window.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <system_error>

namespace qelt
{

namespace
{

using namespace platform;

const char* const kResourceType = "BINARY";
const char* const kPackageName = "DLLS";
const char* const kSceneName = "SCENE";
const char* const kUnpackFolder = "_qelt_viewer_000";
const char* const kWindowClass = "qelt Publisher";
const char* const kTitle = "qelt Viewer";
const char* const kEngineCaption = "VaziZozova";
// Overlapped window, clip-children, clip-siblings and visible.
constexpr uint32_t kWindowStyle = 0x16CF0000;
static_assert(kWindowStyle ==
              (WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VISIBLE));

// ---------------------------------------------------------------------------------------------
// The host window
// ---------------------------------------------------------------------------------------------

intptr_t hostProcedure(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    switch (message)
    {
    case WM_CLOSE:
        debugOutput("Viewer window closing\n");
        destroyWindow(window);
        debugOutput("     destroyed\n");
        return 0;
    case WM_DESTROY:
        postQuitMessage(0);
        return 0;
    case WM_SETCURSOR:
        setCursor(loadCursor(IDC_ARROW));
        return 1;
    case WM_SIZE:
        return 0;
    default:
        return defaultWindowProcedure(window, message, wParam, lParam);
    }
}

WindowHandle createHostWindow()
{
    cWindowClass windowClass;
    windowClass.name = kWindowClass;
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    windowClass.procedure = hostProcedure;
    windowClass.background = 1;
    registerWindowClass(windowClass);

    cCreateWindow params;
    params.className = kWindowClass;
    params.title = kTitle;
    params.style = kWindowStyle;
    params.width = 800;
    params.height = 600;
    return createWindow(params);
}

// ---------------------------------------------------------------------------------------------
// Start-up steps
// ---------------------------------------------------------------------------------------------

// Unpacks the "DLLS" resource into the fixed folder under the temporary folder and makes that
// folder current, whether or not there was a package to unpack. A failed unpacking is silent:
// the folder may still hold the libraries of an earlier start.
void unpackLibraries(const cResourceReader* resources)
{
    const std::string folder = temporaryFolder() + kUnpackFolder;
    createFolder(folder);
    const cResourceEntry* package =
        resources != nullptr ? resources->find(kResourceType, kPackageName) : nullptr;
    if (package != nullptr)
    {
        cFileMemory file(resources->bytes(*package), static_cast<std::size_t>(package->size));
        std::string error;
        if (!extractPackage(folder, file, {}, &error))
            debugOutput(("Viewer: " + error + "\n").c_str());
    }
    std::error_code ignored;
    std::filesystem::current_path(folder, ignored);
}

// The scene resource, when the program carries one small enough to hand over.
const cResourceEntry* sceneResource(const cResourceReader* resources)
{
    const cResourceEntry* scene =
        resources != nullptr ? resources->find(kResourceType, kSceneName) : nullptr;
    return scene != nullptr && scene->size <= UINT32_MAX ? scene : nullptr;
}

// The message loop: get, translate, dispatch until WM_QUIT (or a broken queue).
void runMessageLoop()
{
    cMessage message;
    while (getMessage(&message, nullptr, 0, 0) > 0)
    {
        translateMessage(message);
        dispatchMessage(message);
    }
}

} // namespace

int runViewer(const std::vector<std::string>& args)
{
    cStartSettings settings = parseCommandLine(args);
    const std::string programPath = executablePath();
    if (settings.publishTarget)
        return publish(programPath, *settings.publishTarget, settings.scenePath);
    // Unpacking makes the unpack folder the current directory (the engine finds its plug-ins
    // there), so a scene named relative to where the user started the program is fixed first.
    if (settings.scenePath)
    {
        std::error_code ignored;
        settings.scenePath =
            sceneStartPath(*settings.scenePath, std::filesystem::current_path(ignored).string());
    }

    // Mapped for the whole run: the scene resource is handed to the engine without a copy.
    std::string why;
    const std::unique_ptr<cResourceReader> resources = cResourceReader::open(programPath, &why);
    if (!resources)
        debugOutput(("Viewer: " + why + "\n").c_str());
    if (settings.usePackage)
        unpackLibraries(resources.get());

    WindowHandle window = createHostWindow();
    if (window == nullptr)
        return kExitFailed;
    showWindow(window, SW_SHOWDEFAULT);
    updateWindow(window);
    setFocus(window);
    closeWindowOnSignals(window);

    cSharedLibrary library;
    if (!library.open(engine::kLibraryName))
    {
        debugOutput(("Viewer: " + library.error() + "\n").c_str());
        messageBox(kEngineCaption, "Could not load library");
        return kExitOk;
    }
    cEngineBinding engine;
    std::string missing;
    if (!bindEngine(library, &engine, &missing))
    {
        messageBox(kEngineCaption, "Could not find procedure " + missing + "\n");
        return kExitFailed;
    }

    engine.setRenderWindow(window);
    engine.run(0, settings.driver.c_str(),
               settings.visibility ? settings.visibility->c_str() : nullptr);

    // Lives until the end: the engine reads the scene from it while it runs.
    std::vector<uint8_t> appended;
    if (settings.scenePath)
    {
        engine.loadSceneFromFile(settings.scenePath->c_str());
    }
    else if (const cResourceEntry* scene = sceneResource(resources.get()))
    {
        debugOutput("Viewer: loading scene using resource\n");
        engine.loadSceneFromMemory(resources->bytes(*scene), static_cast<uint32_t>(scene->size));
    }
    else
    {
        switch (readAppendedScene(programPath, &appended))
        {
        case AppendedScene::None:
            break;
        case AppendedScene::Read:
            debugOutput("Viewer: loading scene using stdio\n");
            engine.loadSceneFromMemory(appended.data(), static_cast<uint32_t>(appended.size()));
            break;
        case AppendedScene::Unreadable:
            messageBox("Error", "Cannot read the scene appended to the viewer.");
            return kExitFailed;
        }
    }

    runMessageLoop();
    debugOutput("Viewer terminated\n");
    engine.close();
    library.close();
    return kExitOk;
}

} // namespace qelt

// Tests of the "renderer" shell group and "ver", run as command texts through the shell.
#include "render/renderer_commands.h"

#include "core/file_manager.h"
#include "render/renderer_handle.h"
#include "render/renderer_loader.h"
#include "shell/shell.h"
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qelt
{
namespace
{

// The process's shell with the renderer entries, and the recording test plug-in installed: its
// target keeps the parameters the commands give it.
class RendererCommands : public ::testing::Test
{
  protected:
    RendererCommands()
    {
        static const bool registered = []
        {
            registerRendererCommands(*shell());
            return true;
        }();
        (void)registered;
        fileManager()->addPath(QELT_TEST_PLUGIN_DIR);
    }
    ~RendererCommands() override
    {
        setForegroundHandler(nullptr);
        setRenderer("none");
        fileManager()->removePath(QELT_TEST_PLUGIN_DIR);
    }

    // Installs the recording plug-in with a known first target.
    cRendererTargetHandle* installRecording()
    {
        cRendererParams params;
        params.window = reinterpret_cast<void*>(0x5678);
        params.left = 1;
        params.top = 2;
        cRendererTargetHandle* target = nullptr;
        EXPECT_TRUE(setRenderer("test_ok", &params, &target));
        return target;
    }

    // The message lines a command text leaves.
    std::vector<std::string> run(const std::string& text)
    {
        testing::cLogCapture capture(logManager(), cLogManager::kLevelMessage);
        shell()->executeText(text.c_str());
        return capture.texts();
    }
};

struct cRectangleCase
{
    const char* text;
    int left, top, right, bottom;
    int fullScreen;
    const char* usage; // null when the command applies
};

TEST_F(RendererCommands, WindowAndFullscreenSetTheTargetRectangle)
{
    const char* const windowUsage = "Usage: renderer.window | renderer.window <width>,<height> | "
                                    "renderer.window <x>,<y>,<width>,<height>";
    const char* const fullUsage =
        "Usage: renderer.fullscreen | renderer.fullscreen <width>,<height>";
    const cRectangleCase cases[] = {
        {"renderer.window", 50, 50, 850, 650, 0, nullptr},
        {"renderer.window 640,480", 50, 50, 690, 530, 0, nullptr},
        {"renderer.window 10,20,640,480", 10, 20, 650, 500, 0, nullptr},
        {"renderer.window 10,20,640", 1, 2, 321, 242, 1, windowUsage},
        {"renderer.window \"wide\",480", 1, 2, 321, 242, 1, windowUsage},
        {"renderer.fullscreen", 0, 0, 1280, 1024, 1, nullptr},
        {"renderer.fullscreen 800,600", 0, 0, 800, 600, 1, nullptr},
        {"renderer.fullscreen 800", 1, 2, 321, 242, 1, fullUsage},
        {"renderer.fullscreen 800,600,1", 1, 2, 321, 242, 1, fullUsage},
    };
    for (const cRectangleCase& c : cases)
    {
        SCOPED_TRACE(c.text);
        cRendererTargetHandle* target = installRecording();
        ASSERT_NE(target, nullptr);
        // A known starting point: full screen, so that clearing the flag shows.
        cRendererParams start = target->params();
        start.fullScreen = 1;
        target->reconfigure(start);

        const std::vector<std::string> lines = run(c.text);
        if (c.usage)
            EXPECT_EQ(lines, std::vector<std::string>{c.usage});
        else
            EXPECT_TRUE(lines.empty()) << lines.front();
        const cRendererParams params = target->params();
        EXPECT_EQ(params.left, c.left);
        EXPECT_EQ(params.top, c.top);
        EXPECT_EQ(params.right, c.right);
        EXPECT_EQ(params.bottom, c.bottom);
        EXPECT_EQ(params.fullScreen, c.fullScreen);
        // The rest of the record is carried over.
        EXPECT_EQ(params.window, reinterpret_cast<void*>(0x5678));
    }
}

// After a failed switch there is no renderer: every command says so and does nothing.
TEST_F(RendererCommands, WithoutARendererTheCommandsReportNoTargets)
{
    testing::cLogCapture quiet; // the failed switch's own lines
    EXPECT_FALSE(setRenderer("missing"));
    for (const char* text : {"renderer.window 640,480", "renderer.fullscreen",
                             "renderer.foreground", "renderer.screenshot \"shot.bmp\""})
    {
        SCOPED_TRACE(text);
        EXPECT_EQ(run(text), std::vector<std::string>{"No renderer targets"});
    }
}

TEST_F(RendererCommands, ForegroundAndScreenshotCheckWhatTheyAreGiven)
{
    // The null renderer's target has no window.
    ASSERT_TRUE(setRenderer("none"));
    EXPECT_EQ(run("renderer.foreground"), std::vector<std::string>{"No renderer window"});
    EXPECT_EQ(run("renderer.screenshot"),
              std::vector<std::string>{"No BMP file specified for screenshot"});
    EXPECT_EQ(run("renderer.screenshot 12"),
              std::vector<std::string>{"No BMP file specified for screenshot"});
    EXPECT_EQ(run("renderer.screenshot \"shot.bmp\""),
              std::vector<std::string>{"The renderer cannot save a screenshot"});

    installRecording();
    void* raised = nullptr;
    setForegroundHandler(
        [&](void* window)
        {
            raised = window;
            return true;
        });
    EXPECT_TRUE(run("renderer.foreground").empty());
    EXPECT_EQ(raised, reinterpret_cast<void*>(0x5678));
}

TEST_F(RendererCommands, VariablesFollowTheCurrentRenderer)
{
    cRef<cExpression> driver = shell()->findPath("renderer.driver", nullptr);
    cRef<cExpression> compression = shell()->findPath("renderer.compression", nullptr);
    cRef<cExpression> reduction = shell()->findPath("renderer.reduction", nullptr);
    ASSERT_TRUE(driver);
    ASSERT_TRUE(compression);
    ASSERT_TRUE(reduction);

    std::string name = "unset";
    ASSERT_TRUE(setRenderer("none"));
    EXPECT_TRUE(driver->getString(name));
    EXPECT_EQ(name, "none");

    // Writing the driver installs that renderer.
    EXPECT_TRUE(driver->setString("test_ok"));
    ASSERT_NE(currentRenderer(), nullptr);
    EXPECT_EQ(currentRenderer()->driverName(), "test_ok");
    EXPECT_TRUE(driver->getString(name));
    EXPECT_EQ(name, "test_ok");

    // The null renderer keeps no texture settings.
    EXPECT_TRUE(compression->setBool(true));
    EXPECT_TRUE(reduction->setInt(2));
    bool on = true;
    int32_t level = 5;
    EXPECT_TRUE(compression->getBool(on));
    EXPECT_TRUE(reduction->getInt(level));
    EXPECT_FALSE(on);
    EXPECT_EQ(level, 0);

    // With no renderer they read as empty, false and 0.
    {
        testing::cLogCapture quiet;
        EXPECT_TRUE(driver->setString("missing"));
    }
    EXPECT_EQ(currentRenderer(), nullptr);
    EXPECT_TRUE(driver->getString(name));
    EXPECT_EQ(name, "");
    EXPECT_TRUE(compression->setBool(true));
    EXPECT_TRUE(compression->getBool(on));
    EXPECT_FALSE(on);
}

TEST_F(RendererCommands, VerNamesTheEngineAndTheRendererModule)
{
    ASSERT_TRUE(setRenderer("none"));
    std::vector<std::string> lines = run("ver");
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "QELT:\n");
    EXPECT_EQ(lines[1].rfind("    Module : /", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2], "    Version: " + versionString(&engineVersion()) + "\n");
    EXPECT_EQ(lines[3], "Renderer:\n");
    EXPECT_EQ(lines[4], "    Not loaded\n");

    installRecording();
    lines = run("ver");
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[3], "Renderer:\n");
    EXPECT_NE(lines[4].find("/plinth_test_ok.so\n"), std::string::npos) << lines[4];
    EXPECT_EQ(lines[5], "    Version: PreRelease R2.3.4.5\n");
}

TEST(VersionString, FollowsTheVersionRecord)
{
    const cModuleVersion release{false, false, 1, 2, 3, 4};
    const cModuleVersion debug{false, true, 0, 9, 10, 11};
    const cModuleVersion preRelease{true, true, 5, 0, 0, 1};
    EXPECT_EQ(versionString(&release), "R1.2.3.4");
    EXPECT_EQ(versionString(&debug), "D0.9.10.11");
    EXPECT_EQ(versionString(&preRelease), "PreRelease D5.0.0.1");
    EXPECT_EQ(versionString(nullptr), "");
}

} // namespace
} // namespace qelt

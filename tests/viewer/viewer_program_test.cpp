// The real qelt_viewer with the real engine library it carries: headless, the start-up and loading
// lines and the end by SIGTERM or SIGINT through the close exchange with exit code 0; on an X
// display (Xvfb), the real window with its view, ended by its close box or a key.
#include "tests/support/process.h"
#include "tests/viewer/header_only_scene.h"
#include "tests/support/temp_folder.h"
#include "tests/support/x_peer.h"
#include "tests/support/xvfb.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sys/wait.h>
#include <thread>

namespace qelt::testing
{

namespace
{

bool inOrder(const std::string& text, const std::vector<std::string>& needles)
{
    std::size_t at = 0;
    for (const std::string& needle : needles)
    {
        at = text.find(needle, at);
        if (at == std::string::npos)
            return false;
        at += needle.size();
    }
    return true;
}

struct cSignalCase
{
    const char* name;
    int signal;
    bool glStandIn; // the test's stand-in for the GL plug-in lies in the unpacked folder
    bool relativeScene = false; // the scene is named relative to the folder it starts in
};

// Runs the real program on a scene archive made with the project's own archive writer, with the
// test's stand-in for the GL plug-in unpacked beside the engine when asked.
class cViewerRun
{
  public:
    ~cViewerRun()
    {
        if (pid_ > 0 && !ended_)
        {
            ::kill(-pid_, SIGKILL);
            ::waitpid(pid_, &status_, 0);
        }
    }

    pid_t start(bool glStandIn, const EnvironmentChanges& window, bool relativeScene = false)
    {
        const std::string archive = folder_ / "scene.arc";
        writeBytes(archive, headerOnlySceneArchive());
        const std::string temporary = folder_ / "tmp";
        std::filesystem::create_directories(temporary + "/_qelt_viewer_000");
        if (glStandIn)
            std::filesystem::copy_file(QELT_GL_STAND_IN,
                                       temporary + "/_qelt_viewer_000/plinth_gl.so");
        EnvironmentChanges changes = {{"QELT_DEBUG_LOG", std::string("true")},
                                      {"QELT_MESSAGEBOX_ANSWERS", std::nullopt},
                                      {"QELT_DUMP_TYPE", std::nullopt},
                                      {"TMPDIR", temporary}};
        changes.insert(window.begin(), window.end());
        // The program starts in the scratch folder, where the archive lies.
        pid_ = process_detail::spawn(QELT_VIEWER_PATH, {relativeScene ? "scene.arc" : archive},
                                     changes, folder_ / "out.txt", folder_ / "err.txt",
                                     folder_.path());
        return pid_;
    }

    std::string errText() { return process_detail::slurp(folder_ / "err.txt"); }

    // Waits until stderr holds the text; false after the limit or when the program ended.
    bool waitForText(const std::string& text)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < deadline)
        {
            if (errText().find(text) != std::string::npos)
                return true;
            if (::waitpid(pid_, &status_, WNOHANG) == pid_)
            {
                ended_ = true;
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    // The exit code after the limit; -1 when it did not exit normally or did not end (killed).
    int waitForExit()
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!ended_ && std::chrono::steady_clock::now() < deadline)
        {
            if (::waitpid(pid_, &status_, WNOHANG) == pid_)
                ended_ = true;
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (!ended_)
        {
            ::kill(-pid_, SIGKILL);
            ::waitpid(pid_, &status_, 0);
            ended_ = true;
            return -1;
        }
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }

  private:
    cTempFolder folder_;
    pid_t pid_ = -1;
    int status_ = 0;
    bool ended_ = false;
};

class ViewerProgram : public ::testing::TestWithParam<cSignalCase>
{
  protected:
    cViewerRun run_;
};

} // namespace

TEST_P(ViewerProgram, LoadsSceneAndEndsOnSignalWithCodeZero)
{
    const cSignalCase& param = GetParam();
    const pid_t pid =
        run_.start(param.glStandIn,
                   {{"QELT_WINDOW_SYSTEM", std::string("headless")}, {"DISPLAY", std::nullopt}},
                   param.relativeScene);
    ASSERT_GT(pid, 0);
    const std::string ready = param.glStandIn ? "Loaded renderer\n" : "Failed to load Renderer";
    const bool started = run_.waitForText(ready);
    if (started)
        ::kill(pid, param.signal);
    const int code = run_.waitForExit();
    ASSERT_TRUE(started) << run_.errText();
    EXPECT_EQ(code, 0) << run_.errText();
    const std::string err = run_.errText();
    EXPECT_TRUE(inOrder(err, {"Mode: 800x600 fs:0 st:0 dr:0 snd:1\n", "Starting Renderer: gl\n"}))
        << err;
    if (param.glStandIn)
        EXPECT_TRUE(inOrder(err, {"Scene header: version 3, 800x600, play on start 0\n",
                                  "Hook: WM_CLOSE\n", "Hook: WM_USER\n", "Message pump stopped\n",
                                  "\tReleasing\n", "Hook: WM_USER+1\n", "Hook: WM_CLOSE\n",
                                  "Viewer window closing\n", "Viewer terminated\n"}))
            << err;
    else
        EXPECT_TRUE(
            inOrder(err, {"Hook: WM_CLOSE\n", "Viewer window closing\n", "Viewer terminated\n"}))
            << err;
}

INSTANTIATE_TEST_SUITE_P(Signals, ViewerProgram,
                         ::testing::Values(cSignalCase{"SigtermWithView", SIGTERM, true},
                                           cSignalCase{"SigintWithView", SIGINT, true},
                                           cSignalCase{"SigtermWithoutRenderer", SIGTERM, false},
                                           cSignalCase{"SigtermWithRelativeScenePath", SIGTERM,
                                                       true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

namespace
{

struct cX11Case
{
    const char* name;
    bool escapeKey; // ended by Esc in the view, else by the host window's close box
};

class ViewerProgramOnX11 : public ::testing::TestWithParam<cX11Case>
{
  protected:
    // Polls what another client sees of the display; false when it never comes.
    static bool eventually(const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline)
        {
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return done();
    }

    cXvfb xvfb_;
    cViewerRun run_;
};

} // namespace

// The program's real window on the display: the 800 x 600 host window with the view as its child,
// ended by the user through the close box or the Esc key with exit code 0.
TEST_P(ViewerProgramOnX11, ShowsItsWindowWithTheViewAndEndsByTheUser)
{
    if (!xvfb_.available())
        GTEST_SKIP() << xvfb_.why();
    const pid_t pid = run_.start(
        true, {{"QELT_WINDOW_SYSTEM", std::string("x11")}, {"DISPLAY", xvfb_.display()}});
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(run_.waitForText("Loaded renderer\n")) << run_.errText();

    cXPeer peer(xvfb_.display());
    ASSERT_NE(peer.display(), nullptr);
    ::Window host = 0;
    ::Window view = 0;
    ASSERT_TRUE(eventually(
        [&]
        {
            host = peer.findTopLevel("qelt Viewer");
            if (host == 0 || peer.attributes(host).map_state != IsViewable)
                return false;
            const std::vector<::Window> children = peer.children(host);
            view = children.size() == 1 ? children[0] : 0;
            return view != 0 && peer.attributes(view).map_state == IsViewable;
        }))
        << run_.errText();
    EXPECT_EQ(peer.attributes(host).width, 800);
    EXPECT_EQ(peer.attributes(host).height, 600);
    EXPECT_EQ(peer.attributes(view).width, 800);
    EXPECT_EQ(peer.attributes(view).height, 600);

    if (GetParam().escapeKey)
    {
        const std::string xdotool = findProgram("xdotool");
        ASSERT_FALSE(xdotool.empty()) << "xdotool is installed by scripts/install-deps";
        // Without a window manager the key goes to the window under the pointer.
        EXPECT_EQ(
            runProcess(xdotool,
                       {"mousemove", "--window", std::to_string(view), "10", "10", "key", "Escape"},
                       {{"DISPLAY", xvfb_.display()}})
                .exitCode,
            0);
    }
    else
        peer.closeBox(host);

    EXPECT_EQ(run_.waitForExit(), 0) << run_.errText();
    const std::string err = run_.errText();
    if (GetParam().escapeKey)
        EXPECT_TRUE(inOrder(err, {"Scene header: version 3, 800x600, play on start 0\n",
                                  "Viewer window closing\n", "Viewer terminated\n"}))
            << err;
    else
        EXPECT_TRUE(inOrder(err, {"Scene header: version 3, 800x600, play on start 0\n",
                                  "Hook: WM_CLOSE\n", "Hook: WM_USER\n", "Message pump stopped\n",
                                  "\tReleasing\n", "Hook: WM_USER+1\n", "Hook: WM_CLOSE\n",
                                  "Viewer window closing\n", "Viewer terminated\n"}))
            << err;
    EXPECT_EQ(peer.findTopLevel("qelt Viewer"), 0u);
}

INSTANTIATE_TEST_SUITE_P(User, ViewerProgramOnX11,
                         ::testing::Values(cX11Case{"CloseBox", false},
                                           cX11Case{"EscapeKey", true}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace qelt::testing

// The real qelt_viewer with the real engine library it carries, headless: start-up and loading
// lines, and the end by SIGTERM or SIGINT through the close exchange with exit code 0.
#include "tests/support/process.h"
#include "tests/support/temp_folder.h"
#include "tools/pack_writer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <sys/wait.h>
#include <thread>

namespace qelt::testing
{

namespace
{

std::vector<uint8_t> littleEndian(std::initializer_list<int32_t> values)
{
    std::vector<uint8_t> bytes;
    for (int32_t value : values)
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>(uint32_t(value) >> (8 * i)));
    return bytes;
}

// mode.dat: 800 x 600, windowed, no stereo, dr 0, snd 1.
std::vector<uint8_t> modeFile()
{
    std::vector<uint8_t> bytes = littleEndian({800, 600});
    bytes.insert(bytes.end(), {0, 0});
    const std::vector<uint8_t> rest = littleEndian({0, 1});
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    return bytes;
}

std::vector<uint8_t> coreHeader()
{
    std::vector<uint8_t> bytes = {'Q', 'E', 'L', 'T'};
    const std::vector<uint8_t> numbers = littleEndian({3, 800, 600});
    bytes.insert(bytes.end(), numbers.begin(), numbers.end());
    bytes.insert(bytes.end(), {0, 0, 0});
    return bytes;
}

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
};

class ViewerProgram : public ::testing::TestWithParam<cSignalCase>
{
  protected:
    std::string errText() { return process_detail::slurp(folder_ / "err.txt"); }

    // Waits until stderr holds the text; false after the limit or when the program ended.
    bool waitForText(pid_t pid, const std::string& text)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < deadline)
        {
            if (errText().find(text) != std::string::npos)
                return true;
            if (::waitpid(pid, &status_, WNOHANG) == pid)
            {
                ended_ = true;
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    // The exit code after the limit; -1 when it did not exit normally or did not end (killed).
    int waitForExit(pid_t pid)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!ended_ && std::chrono::steady_clock::now() < deadline)
        {
            if (::waitpid(pid, &status_, WNOHANG) == pid)
                ended_ = true;
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (!ended_)
        {
            ::kill(-pid, SIGKILL);
            ::waitpid(pid, &status_, 0);
            return -1;
        }
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }

    cTempFolder folder_;
    int status_ = 0;
    bool ended_ = false;
};

} // namespace

TEST_P(ViewerProgram, LoadsSceneAndEndsOnSignalWithCodeZero)
{
    const cSignalCase& param = GetParam();
    const std::string archive = folder_ / "scene.arc";
    writeBytes(archive,
               tools::buildArchive({{"mode.dat", modeFile()}, {"core.dat", coreHeader()}}));
    const std::string temporary = folder_ / "tmp";
    std::filesystem::create_directories(temporary + "/_qelt_viewer_000");
    if (param.glStandIn)
        std::filesystem::copy_file(QELT_GL_STAND_IN, temporary + "/_qelt_viewer_000/plinth_gl.so");

    const pid_t pid =
        process_detail::spawn(QELT_VIEWER_PATH, {archive},
                              {{"QELT_WINDOW_SYSTEM", std::string("headless")},
                               {"DISPLAY", std::nullopt},
                               {"QELT_DEBUG_LOG", std::string("true")},
                               {"QELT_MESSAGEBOX_ANSWERS", std::nullopt},
                               {"QELT_DUMP_TYPE", std::nullopt},
                               {"TMPDIR", temporary}},
                              folder_ / "out.txt", folder_ / "err.txt", folder_.path());
    ASSERT_GT(pid, 0);
    const std::string ready = param.glStandIn ? "Loaded renderer\n" : "Failed to load Renderer";
    const bool started = waitForText(pid, ready);
    if (started)
        ::kill(pid, param.signal);
    const int code = waitForExit(pid);
    ASSERT_TRUE(started) << errText();
    EXPECT_EQ(code, 0) << errText();
    const std::string err = errText();
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
                                           cSignalCase{"SigtermWithoutRenderer", SIGTERM, false}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace qelt::testing

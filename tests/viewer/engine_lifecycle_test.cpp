// The engine library in the test process, driven as qelt_viewer drives it (null renderer): loading
// up to the scene header, the view's start and end, the hook's exchange, keys, posted commands,
// the renderer switch and the exports that need no view.
#include "tests/support/temp_folder.h"
#include "tests/viewer/engine_host.h"
#include "tools/pack_writer.h"

#include <cstring>
#include <deque>
#include <regex>

namespace qelt::testing
{

namespace
{

using namespace platform;

std::vector<uint8_t> modeBytes(int32_t width, int32_t height)
{
    std::vector<uint8_t> bytes(18, 0);
    std::memcpy(bytes.data(), &width, 4);
    std::memcpy(bytes.data() + 4, &height, 4);
    const int32_t snd = 1;
    std::memcpy(bytes.data() + 14, &snd, 4);
    return bytes;
}

// "QELT", version 3, 800 x 600, two flags and play-on-start.
std::vector<uint8_t> coreHeader()
{
    std::vector<uint8_t> bytes = {'Q', 'E', 'L', 'T'};
    for (int32_t value : {3, 800, 600})
        bytes.insert(bytes.end(), reinterpret_cast<uint8_t*>(&value),
                     reinterpret_cast<uint8_t*>(&value) + 4);
    bytes.insert(bytes.end(), {0, 0, 1});
    return bytes;
}

std::vector<uint8_t> sceneArchive(bool withCore)
{
    std::vector<tools::cArchiveItem> items = {{"mode.dat", modeBytes(640, 480)}};
    if (withCore)
        items.push_back({"core.dat", coreHeader()});
    return tools::buildArchive(items);
}

const std::vector<std::string> kShutdownLines = {"Message pump stopped\n",
                                                 "\tA\n",
                                                 "\tB\n",
                                                 "\tC\n",
                                                 "\tD\n",
                                                 "\tE\n",
                                                 "\tF\n",
                                                 "\tG\n",
                                                 "\tReleasing\n",
                                                 "Hook: WM_USER+1\n"};

std::vector<std::string> concat(std::vector<std::string> first,
                                const std::vector<std::string>& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

} // namespace

class ViewerLifecycle : public cEngineHostTest
{
  protected:
    // Starts the engine on the null renderer with a scene and waits for the view.
    void startWithScene(bool withCore = true)
    {
        // The engine keeps the archive mounted, unread bytes and all, until the process ends.
        static std::deque<std::vector<uint8_t>> scenes;
        const std::vector<uint8_t>& scene = scenes.emplace_back(sceneArchive(withCore));
        start();
        ASSERT_NE(engine_.loadSceneFromMemory(scene.data(), static_cast<uint32_t>(scene.size())), nullptr);
        ASSERT_TRUE(waitForView());
    }
};

// Closing the host window: the hook swallows the close, asks the view to end with WM_USER, the
// view thread shuts down and answers WM_USER+1, the window closes and the loop ends with code 0.
TEST_F(ViewerLifecycle, CloseBoxEndsViewAndProgramThroughTheExchange)
{
    startWithScene();
    // The loader got as far as the scene header and the view is rendering again.
    ASSERT_TRUE(pumpUntil(
        [&] { return log_->count("Scene header: version 3, 800x600, play on start 1\n") == 1; }));
    postMessage(host_, WM_CLOSE, 0, 0);
    ASSERT_TRUE(pumpUntilQuit());
    EXPECT_EQ(quitCode_, 0);
    EXPECT_FALSE(isWindow(host_));
    closeEngine();
    EXPECT_TRUE(linesInOrder(
        log_->texts(), concat({"Mode: 640x480 fs:0 st:0 dr:0 snd:1\n", "Starting Renderer: none\n",
                               "Loaded renderer\n", "Hook: WM_CLOSE\n", "Hook: WM_USER\n"},
                              concat(kShutdownLines, {"Hook: WM_CLOSE\n",
                                                      "Trying to destroy view - none running\n"}))))
        << ::testing::PrintToString(log_->texts());
}

struct cKeyCase
{
    const char* name;
    uint32_t key;
};

class ViewerKeys : public ViewerLifecycle, public ::testing::WithParamInterface<cKeyCase>
{
};

// Esc and F12 close the host window, F5 ends the view ('t'); each ends the program.
TEST_P(ViewerKeys, KeyEndsViewAndProgram)
{
    startWithScene();
    postMessage(viewWindow(), WM_KEYDOWN, GetParam().key, 0);
    ASSERT_TRUE(pumpUntilQuit());
    EXPECT_EQ(quitCode_, 0);
    closeEngine();
    EXPECT_TRUE(linesInOrder(log_->texts(), kShutdownLines))
        << ::testing::PrintToString(log_->texts());
}

INSTANTIATE_TEST_SUITE_P(Keys, ViewerKeys,
                         ::testing::Values(cKeyCase{"Esc", VK_ESCAPE}, cKeyCase{"F12", VK_F12},
                                           cKeyCase{"F5", VK_F5}),
                         [](const auto& info) { return std::string(info.param.name); });

// F4 turns the statistics on: about once a second the frame rate goes into the host window's
// title, never into the view's.
TEST_F(ViewerLifecycle, F4WritesStatisticsIntoTheHostTitle)
{
    startWithScene();
    const std::string viewTitle = getWindowText(viewWindow());
    postMessage(viewWindow(), WM_KEYDOWN, VK_F4, 0);
    const std::regex statistics(R"(f/s:\d+\.\d\d MT/s:\d+\.\d{3}  \d+)");
    EXPECT_TRUE(pumpUntil([&] { return std::regex_match(getWindowText(host_), statistics); }))
        << getWindowText(host_);
    EXPECT_EQ(getWindowText(viewWindow()), viewTitle);
    postMessage(host_, WM_CLOSE, 0, 0);
    ASSERT_TRUE(pumpUntilQuit());
}

// F2 makes the host window a borderless one that covers the screen, and a second F2 puts back the
// windowed one with the size the view had.
TEST_F(ViewerLifecycle, F2TogglesFullscreen)
{
    startWithScene();
    // The loader applies the windowed mode of mode.dat once the view runs.
    cRect rect;
    ASSERT_TRUE(pumpUntil([&] { return getWindowRect(host_, &rect) && rect.width() == 640; }));
    const cPoint screen = screenSize();
    postMessage(viewWindow(), WM_KEYDOWN, VK_F2, 0);
    EXPECT_TRUE(pumpUntil(
        [&]
        {
            return (getWindowStyle(host_) & WS_POPUP) != 0 && getWindowRect(host_, &rect) &&
                   rect.width() == screen.x && rect.height() == screen.y;
        }));
    postMessage(viewWindow(), WM_KEYDOWN, VK_F2, 0);
    EXPECT_TRUE(pumpUntil(
        [&]
        {
            return (getWindowStyle(host_) & WS_OVERLAPPEDWINDOW) == WS_OVERLAPPEDWINDOW &&
                   (getWindowStyle(host_) & WS_POPUP) == 0 && getWindowRect(host_, &rect) &&
                   rect.width() == 640 && rect.height() == 480;
        }));
    postMessage(host_, WM_CLOSE, 0, 0);
    ASSERT_TRUE(pumpUntilQuit());
}

// A posted command runs on the view thread at the next frame; of several posted within one frame
// only the first runs.
TEST_F(ViewerLifecycle, ExecRunsPostedCommandOnViewThread)
{
    startWithScene();
    std::thread::id viewThread;
    for (const auto& line : log_->lines())
        if (line.text == "Loaded renderer\n")
            viewThread = line.thread;
    engine_.exec("print \"posted-first\"");
    engine_.exec("print \"posted-second\"");
    engine_.exec("print \"posted-third\"");
    auto ran = [&](const std::string& word)
    {
        int n = 0;
        for (const auto& line : log_->lines())
            n += line.text.find(word) != std::string::npos ? 1 : 0;
        return n;
    };
    ASSERT_TRUE(pumpUntil([&] { return ran("posted-first") > 0; }));
    for (const auto& line : log_->lines())
    {
        if (line.text.find("posted-first") != std::string::npos)
        {
            EXPECT_EQ(line.thread, viewThread);
        }
    }
    EXPECT_NE(std::this_thread::get_id(), viewThread);
    // The next texts share the first one's due time; the frame loop may at most have ticked once
    // between two of the posts.
    EXPECT_LT(ran("posted-second") + ran("posted-third"), 2);
    postMessage(host_, WM_CLOSE, 0, 0);
    ASSERT_TRUE(pumpUntilQuit());
}

struct cSwitchCase
{
    const char* name;
    bool toView; // the message goes to the view window, else to the host window
    uint32_t message;
    uint32_t code;
};

class ViewerRendererSwitch : public ViewerLifecycle,
                             public ::testing::WithParamInterface<cSwitchCase>
{
};

// 'w' (typed into the host window, or F8 in the view, which the view hands to the host as 'w')
// switches to the null renderer: the old view ends, a new one starts in the same window and the
// window stays open.
TEST_P(ViewerRendererSwitch, KeepsHostWindowOpen)
{
    startWithScene();
    const WindowHandle first = viewWindow();
    const cSwitchCase& param = GetParam();
    postMessage(param.toView ? viewWindow() : host_, param.message, param.code, 0);
    ASSERT_TRUE(waitForView(2));
    EXPECT_TRUE(isWindow(host_));
    EXPECT_NE(viewWindow(), nullptr);
    EXPECT_FALSE(isWindow(first));
    EXPECT_EQ(log_->count("Starting Renderer: none\n"), 2);
    EXPECT_TRUE(linesInOrder(log_->texts(), concat({"wmhook CHAR 00000077\n"}, kShutdownLines)));
    postMessage(host_, WM_CLOSE, 0, 0);
    ASSERT_TRUE(pumpUntilQuit());
    EXPECT_EQ(quitCode_, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ViewerRendererSwitch,
    ::testing::Values(cSwitchCase{"CharW", false, WM_CHAR, 'w'},
                      cSwitchCase{"F8", true, WM_KEYDOWN, VK_F8}),
    [](const auto& info) { return std::string(info.param.name); });

// A scene archive without "core.dat": the load stops after the view started, the frames stay
// skipped, and the window still closes normally.
TEST_F(ViewerLifecycle, ArchiveWithoutCoreStopsLoadingAndStillCloses)
{
    startWithScene(false);
    ASSERT_TRUE(pumpUntil([&] { return log_->count("Cannot open file") == 1; }));
    EXPECT_EQ(log_->count("Mode: 640x480 fs:0 st:0 dr:0 snd:1\n"), 1);
    postMessage(host_, WM_CLOSE, 0, 0);
    ASSERT_TRUE(pumpUntilQuit());
    EXPECT_EQ(quitCode_, 0);
    EXPECT_TRUE(linesInOrder(log_->texts(), kShutdownLines));
}

// _Close@0 without a view only logs, and gives the host window its own procedure back.
TEST_F(ViewerLifecycle, CloseWithoutViewRestoresWindowProcedure)
{
    start();
    EXPECT_NE(getWindowProcedure(host_), hostProcedure);
    closeEngine();
    EXPECT_EQ(getWindowProcedure(host_), hostProcedure);
    EXPECT_EQ(log_->count("Trying to destroy view - none running\n"), 1);
}

// A file load that cannot open its path returns no thread and starts nothing.
TEST_F(ViewerLifecycle, LoadFromMissingFileReturnsNoThread)
{
    start();
    EXPECT_EQ(engine_.loadSceneFromFile("/nonexistent/scene.arc"), nullptr);
    EXPECT_EQ(log_->count("Starting Renderer: none\n"), 0);
}

// The exports that answer without a view.
TEST_F(ViewerLifecycle, ExportsAnswerWithoutView)
{
    auto isEffectValid = bind<uint8_t (*)(const char*)>("_IsEffectValid@4");
    auto fadeToLine = bind<int16_t (*)(int, int, int, int)>("_FadeToLine@16");
    auto fadeRestore = bind<int16_t (*)(int)>("_FadeRestoreLine@4");
    ASSERT_TRUE(isEffectValid && fadeToLine && fadeRestore);
    EXPECT_EQ(isEffectValid("NoSuchEffect"), 0);
    EXPECT_EQ(isEffectValid(nullptr), 0);
    // Names compare without regard to case.
    EXPECT_EQ(isEffectValid("solidcolor"), isEffectValid("SolidColor"));
    EXPECT_EQ(fadeToLine(9, 100, 0, -1), -1);
    EXPECT_EQ(fadeRestore(100), -1);
}

} // namespace qelt::testing

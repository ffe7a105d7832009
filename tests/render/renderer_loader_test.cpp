// Tests of renderer loading and switching, with real plug-in modules built for them.
#include "render/renderer_loader.h"

#include "core/event.h"
#include "core/event_dispatcher.h"
#include "core/event_sink.h"
#include "core/event_type.h"
#include "core/file_manager.h"
#include "core/log_manager.h"
#include "render/renderer_callback.h"
#include "render/renderer_handle.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

namespace qelt
{
namespace
{

// One record of what happened, in order: renderer events by name, log lines by text (debug
// lines left out, since they depend on the environment).
class cHappenings : public cEventSink, public cLogManager::cHandler
{
  public:
    cHappenings()
        : cHandler(cLogManager::kAllSources, cLogManager::kLevelMessage | cLogManager::kLevelFatal)
    {
        type_ = eventDispatcher().findType("Renderer");
        if (type_)
            type_->addSink(this);
        logManager()->addHandler(this);
    }
    ~cHappenings() override
    {
        if (type_)
            type_->removeSink(this);
        logManager()->removeHandler(this);
    }
    int handle(cEvent& event) override
    {
        record(event.type().fullName());
        return 0;
    }
    void write(uint32_t, uint32_t, const char* text) override { record(text); }
    std::vector<std::string> take()
    {
        std::lock_guard<std::mutex> guard(lock_);
        return std::move(seen_);
    }
    cEventType* type() const { return type_; }

  private:
    void record(const std::string& what)
    {
        std::lock_guard<std::mutex> guard(lock_);
        seen_.push_back(what);
    }
    cEventType* type_ = nullptr; // not owned
    std::mutex lock_;
    std::vector<std::string> seen_;
};

// The plug-in folder on the search path, and a folder of modules that are not libraries: one for
// a driver name of its own and two that must never be looked at ("none" and "").
class RendererLoading : public ::testing::Test
{
  protected:
    RendererLoading()
    {
        for (const char* name : {"plinth_test_broken.so", "plinth_none.so", "plinth_.so"})
            testing::writeText(broken_ / name, "not a library");
        fileManager()->addPath(QELT_TEST_PLUGIN_DIR);
        fileManager()->addPath(broken_.path());
        EXPECT_TRUE(setRenderer("none"));
        happenings_ = std::make_unique<cHappenings>();
    }
    ~RendererLoading() override
    {
        happenings_.reset();
        setRenderer("none");
        fileManager()->removePath(QELT_TEST_PLUGIN_DIR);
        fileManager()->removePath(broken_.path());
    }

    testing::cTempFolder broken_;
    std::unique_ptr<cHappenings> happenings_;
};

TEST_F(RendererLoading, TheRendererEventsExist)
{
    ASSERT_NE(happenings_->type(), nullptr);
    for (const char* name :
         {"Renderer.Load", "Renderer.Unload", "Renderer.Invalidate", "Renderer.Restore"})
        EXPECT_NE(eventDispatcher().findType(name), nullptr) << name;
}

// A switch drops the old renderer completely before the new one is made, then loads it.
TEST_F(RendererLoading, SwitchingToAPlugInRunsTheEventsInOrder)
{
    cRendererParams params;
    params.left = 10;
    params.top = 20;
    cRendererTargetHandle* target = nullptr;
    ASSERT_TRUE(setRenderer("test_ok", &params, &target));
    EXPECT_EQ(happenings_->take(),
              (std::vector<std::string>{"Renderer.Invalidate", "Renderer.Unload",
                                        "plug-in factory called\n", "Renderer.Load",
                                        "Renderer.Restore"}));
    cRenderer* renderer = currentRenderer();
    ASSERT_NE(renderer, nullptr);
    EXPECT_EQ(renderer->driverName(), "test_ok");
    EXPECT_NE(renderer->module(), nullptr);
    EXPECT_EQ(target, renderer->target(0));
    // The size the plug-in obtained comes back and is remembered.
    EXPECT_EQ(params.right, 330);
    EXPECT_EQ(params.bottom, 260);
    EXPECT_EQ(renderer->firstTargetParams().right, 330);
    EXPECT_EQ(lastRendererParams().bottom, 260);

    // Without parameters the last ones are used; "" is the null renderer.
    ASSERT_TRUE(setRenderer(""));
    EXPECT_EQ(happenings_->take(),
              (std::vector<std::string>{"Renderer.Invalidate", "Renderer.Unload", "Renderer.Load",
                                        "Renderer.Restore"}));
    renderer = currentRenderer();
    ASSERT_NE(renderer, nullptr);
    EXPECT_EQ(renderer->driverKind(), cRenderer::DriverNone);
    EXPECT_EQ(renderer->driverName(), "");
    EXPECT_EQ(renderer->module(), nullptr);
    EXPECT_EQ(renderer->firstTargetParams().left, 10);
    EXPECT_EQ(renderer->firstTargetParams().right, 330);
}

struct cFailureCase
{
    const char* name;
    const char* driver;
    std::vector<std::string> after; // what follows the old renderer's Invalidate and Unload
};

// A failed switch leaves no renderer, says why (or nothing when no module was found), and the
// next switch starts from nothing.
TEST_F(RendererLoading, FailedSwitchesLeaveNoRenderer)
{
    const cFailureCase cases[] = {
        {"missing module", "missing", {}},
        {"none in other letters", "None", {"Could not load renderer DLL (None)"}},
        {"not a library", "test_broken", {"Could not load renderer DLL (test_broken)"}},
        {"no factory", "test_noexport", {"Could not find CreateRenderer in DLL (test_noexport)"}},
        {"factory fails", "test_fail", {"plug-in factory refused\n", "Could not create renderer"}},
    };
    for (const cFailureCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(setRenderer("none"));
        happenings_->take();
        cRendererTargetHandle* target = reinterpret_cast<cRendererTargetHandle*>(0x10);
        EXPECT_FALSE(setRenderer(c.driver, nullptr, &target));
        EXPECT_EQ(currentRenderer(), nullptr);
        EXPECT_EQ(target, nullptr);
        std::vector<std::string> expected = {"Renderer.Invalidate", "Renderer.Unload"};
        expected.insert(expected.end(), c.after.begin(), c.after.end());
        EXPECT_EQ(happenings_->take(), expected);

        // Nothing was current, so nothing is unloaded before the next renderer.
        ASSERT_TRUE(setRenderer("none"));
        EXPECT_EQ(happenings_->take(),
                  (std::vector<std::string>{"Renderer.Load", "Renderer.Restore"}));
    }
}

// Keeps the lines a renderer logs through its callback.
class cCallbackRecorder : public cRendererCallback
{
  public:
    void onLoad(const cRendererParams*, cRendererTargetHandle*) override
    {
        lines.push_back("load");
    }
    void onUnload() override { lines.push_back("unload"); }
    void onInvalidate() override { lines.push_back("invalidate"); }
    void onRestore() override { lines.push_back("restore"); }
    void log(const char* format, va_list args) override
    {
        char text[256];
        std::vsnprintf(text, sizeof(text), format, args);
        lines.push_back(text);
    }
    std::vector<std::string> lines;
};

// loadRenderer hands the callback to the factory and installs nothing; setRenderer loads and
// restores through the renderer's own callback.
TEST_F(RendererLoading, CallbacksReachTheRenderer)
{
    cRenderer* installed = currentRenderer();
    cCallbackRecorder callback;
    cRendererParams params;
    cRendererTargetHandle* target = nullptr;
    cRenderer* loaded = loadRenderer("test_ok", &params, &target, &callback);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(currentRenderer(), installed);
    EXPECT_EQ(loaded->callback(), &callback);
    EXPECT_EQ(target, loaded->target(0));
    EXPECT_EQ(callback.lines, std::vector<std::string>{"plug-in factory called\n"});
    destroyRenderer(loaded);

    callback.lines.clear();
    ASSERT_TRUE(setRenderer("none", nullptr, nullptr, &callback));
    EXPECT_EQ(callback.lines, (std::vector<std::string>{"load", "restore"}));
    EXPECT_EQ(happenings_->take(),
              (std::vector<std::string>{"Renderer.Invalidate", "Renderer.Unload"}));
    // The recorder goes with this test; the renderer that reports to it goes first.
    ASSERT_TRUE(setRenderer("none"));
}

} // namespace
} // namespace qelt

// The log manager: masks, delivery order, formatting, the lock, the handlers and the helpers.
#include "core/log_manager.h"

#include "core/file_stdio.h"
#include "core/file_stdio_writeable.h"
#include "core/log_handlers.h"
#include "platform/system.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <set>
#include <thread>

namespace qelt
{
namespace
{

using testing::cCaptureHandler;
using testing::cLogCapture;

constexpr uint32_t kEngine = cLogManager::kSourceEngine;
constexpr uint32_t kRenderer = cLogManager::kSourceRenderer;
constexpr uint32_t kFatal = cLogManager::kLevelFatal;
constexpr uint32_t kDebug = cLogManager::kLevelDebug;
constexpr uint32_t kMessage = cLogManager::kLevelMessage;

// The alert box must never wait for a person in a test.
void useHeadlessWindows()
{
    ::setenv("QELT_WINDOW_SYSTEM", "headless", 1);
}

std::size_t countOf(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// ---------------------------------------------------------------------------------------------
// Masks
// ---------------------------------------------------------------------------------------------

struct MaskCase
{
    const char* name;
    uint32_t sourceMask;
    uint32_t levelMask;
    uint32_t source;
    uint32_t level;
    bool handler;  // what a plain handler answers
    bool alertBox; // what the alert box answers
};

void PrintTo(const MaskCase& row, std::ostream* out)
{
    *out << row.name;
}

class HandlerAccepts : public ::testing::TestWithParam<MaskCase>
{
};

TEST_P(HandlerAccepts, ByItsMasksOrTheAlertBoxByTheFatalBit)
{
    const MaskCase& row = GetParam();
    const cCaptureHandler plain(row.sourceMask, row.levelMask);
    const cLogHandlerAlertBox alert(row.sourceMask, row.levelMask);
    EXPECT_EQ(plain.accepts(row.source, row.level), row.handler);
    EXPECT_EQ(alert.accepts(row.source, row.level), row.alertBox);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HandlerAccepts,
    ::testing::Values(
        MaskCase{"all_masks_message", 0xfffff, 0xfffff, kEngine, kMessage, true, false},
        MaskCase{"debug_mask_debug", 0xfffff, kDebug, kEngine, kDebug, true, false},
        MaskCase{"debug_mask_message", 0xfffff, kDebug, kEngine, kMessage, false, false},
        MaskCase{"renderer_source_refused", kEngine, 0xfffff, kRenderer, kMessage, false, false},
        MaskCase{"renderer_source_taken", kRenderer, 0xfffff, kRenderer, kMessage, true, false},
        MaskCase{"fatal_through_masks", 0xfffff, kFatal, kEngine, kFatal, true, true},
        MaskCase{"fatal_without_level_mask", 0xfffff, 0, kEngine, kFatal, false, true},
        MaskCase{"fatal_without_source_mask", 0, kFatal, kEngine, kFatal, false, true},
        MaskCase{"fatal_bit_among_others", 0xfffff, kMessage, kEngine, kFatal | kMessage, true,
                 true},
        MaskCase{"no_level_bits", 0xfffff, 0xfffff, kEngine, 0, false, false},
        MaskCase{"no_source_bits", 0xfffff, 0xfffff, 0, kMessage, false, false}),
    [](const ::testing::TestParamInfo<MaskCase>& info) { return info.param.name; });

// ---------------------------------------------------------------------------------------------
// Delivery
// ---------------------------------------------------------------------------------------------

// Notes its name in a shared list, to show the order of delivery.
class cOrderHandler : public cLogManager::cHandler
{
  public:
    cOrderHandler(uint32_t levelMask, std::string name, std::vector<std::string>* order)
        : cHandler(cLogManager::kAllSources, levelMask), name_(std::move(name)), order_(order)
    {
    }
    void write(uint32_t, uint32_t, const char* text) override
    {
        order_->push_back(name_ + ":" + text);
    }

  private:
    std::string name_;
    std::vector<std::string>* order_;
};

TEST(LogManager, DeliversInListOrderToTheHandlersThatAccept)
{
    std::vector<std::string> order;
    cLogManager manager;
    auto* first = new cOrderHandler(kMessage, "first", &order);
    manager.addHandler(first);
    manager.addHandler(new cOrderHandler(kDebug, "debug", &order));
    manager.addHandler(new cOrderHandler(kMessage | kDebug, "last", &order));

    EXPECT_EQ(manager.log(kEngine, kMessage, "%s %d", "one", 1), 2);
    EXPECT_EQ(manager.log(kEngine, kDebug, "two"), 2);
    EXPECT_EQ(manager.log(kEngine, kFatal, "three"), 0);
    EXPECT_EQ(order,
              (std::vector<std::string>{"first:one 1", "last:one 1", "debug:two", "last:two"}));

    // Removed, not deleted: the handler still works and is installed again at the end.
    EXPECT_TRUE(manager.removeHandler(first));
    EXPECT_FALSE(manager.removeHandler(first));
    order.clear();
    manager.log(kEngine, kMessage, "four");
    EXPECT_EQ(order, (std::vector<std::string>{"last:four"}));
    manager.addHandler(first);
    order.clear();
    manager.log(kEngine, kMessage, "five");
    EXPECT_EQ(order, (std::vector<std::string>{"last:five", "first:five"}));
}

TEST(LogManager, RemovesOnlyTheFirstEntryOfAHandlerInstalledTwice)
{
    std::vector<std::string> order;
    cLogManager manager;
    auto* twice = new cOrderHandler(kMessage, "twice", &order);
    manager.addHandler(twice);
    manager.addHandler(twice);
    EXPECT_TRUE(manager.removeHandler(twice));
    EXPECT_EQ(manager.log(kEngine, kMessage, "once"), 1);
    EXPECT_EQ(order, (std::vector<std::string>{"twice:once"}));
    // Still installed once: the manager deletes it (once) when it goes.
}

TEST(LogManager, DeletesTheHandlersStillInstalled)
{
    struct cCounted : cLogManager::cHandler
    {
        explicit cCounted(int* deleted) : cHandler(0xfffff, 0xfffff), deleted(deleted) {}
        ~cCounted() override { ++*deleted; }
        void write(uint32_t, uint32_t, const char*) override {}
        int* deleted;
    };
    int deleted = 0;
    auto* removed = new cCounted(&deleted);
    {
        cLogManager manager;
        manager.addHandler(new cCounted(&deleted));
        manager.addHandler(removed);
        manager.addHandler(new cCounted(&deleted));
        EXPECT_TRUE(manager.removeHandler(removed));
    }
    EXPECT_EQ(deleted, 2);
    delete removed;
    EXPECT_EQ(deleted, 3);
}

struct LengthCase
{
    const char* name;
    std::size_t length;
};

void PrintTo(const LengthCase& row, std::ostream* out)
{
    *out << row.name;
}

class LogTextLength : public ::testing::TestWithParam<LengthCase>
{
};

// The buffer holds 3,839 characters and the terminator; longer texts are never cut.
TEST_P(LogTextLength, ReachesTheHandlersWhole)
{
    std::string text;
    for (std::size_t i = 0; i < GetParam().length; ++i)
        text += char('a' + i % 26);
    cLogManager manager;
    cLogCapture capture(&manager);
    manager.log(kEngine, kMessage, "%s", text.c_str());
    ASSERT_EQ(capture.texts().size(), 1u);
    EXPECT_EQ(capture.texts()[0], text);
}

INSTANTIATE_TEST_SUITE_P(Cases, LogTextLength,
                         ::testing::Values(LengthCase{"empty", 0}, LengthCase{"short", 3},
                                           LengthCase{"fills_the_buffer", 3839},
                                           LengthCase{"one_over_the_buffer", 3840},
                                           LengthCase{"far_over_the_buffer", 100000}),
                         [](const ::testing::TestParamInfo<LengthCase>& info)
                         { return info.param.name; });

TEST(LogManager, ANullFormatReachesNoHandler)
{
    cLogManager manager;
    cLogCapture capture(&manager);
    EXPECT_EQ(manager.log(kEngine, kMessage, nullptr), 0);
    EXPECT_TRUE(capture.texts().empty());
}

// ---------------------------------------------------------------------------------------------
// The lock
// ---------------------------------------------------------------------------------------------

// Fails the test when two writes overlap.
class cExclusiveHandler : public cLogManager::cHandler
{
  public:
    cExclusiveHandler() : cHandler(0xfffff, 0xfffff) {}
    void write(uint32_t, uint32_t, const char* text) override
    {
        if (inside_.exchange(true))
            overlaps_++;
        texts_.push_back(text); // unguarded on purpose: the manager's lock guards it
        std::this_thread::yield();
        inside_ = false;
    }
    std::atomic<bool> inside_{false};
    std::atomic<int> overlaps_{0};
    std::vector<std::string> texts_;
};

TEST(LogManager, WritesFromManyThreadsNeverOverlap)
{
    cLogManager manager;
    auto* handler = new cExclusiveHandler;
    manager.addHandler(handler);
    constexpr int kThreads = 4;
    constexpr int kEach = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back(
            [&manager, t]
            {
                for (int i = 0; i < kEach; ++i)
                    manager.log(kEngine, kMessage, "thread %d line %d", t, i);
            });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(handler->overlaps_.load(), 0);
    ASSERT_EQ(handler->texts_.size(), std::size_t(kThreads * kEach));
    // Each text arrives whole and each once.
    std::set<std::string> distinct(handler->texts_.begin(), handler->texts_.end());
    EXPECT_EQ(distinct.size(), std::size_t(kThreads * kEach));
    EXPECT_EQ(distinct.count("thread 3 line 199"), 1u);
}

TEST(LogManager, AHandlerMayLogFromItsOwnWriteOnTheSameThread)
{
    struct cEcho : cLogManager::cHandler
    {
        cEcho(cLogManager* manager) : cHandler(0xfffff, kMessage), manager(manager) {}
        void write(uint32_t, uint32_t, const char* text) override
        {
            manager->log(kEngine, kDebug, "echo of %s", text);
        }
        cLogManager* manager;
    };
    cLogManager manager;
    cLogCapture capture(&manager, kDebug);
    manager.addHandler(new cEcho(&manager));
    EXPECT_EQ(manager.log(kEngine, kMessage, "ping"), 1);
    EXPECT_EQ(capture.texts(), (std::vector<std::string>{"echo of ping"}));
}

// ---------------------------------------------------------------------------------------------
// Handlers
// ---------------------------------------------------------------------------------------------

struct FileLineCase
{
    const char* name;
    const char* text;
    const char* written;
};

void PrintTo(const FileLineCase& row, std::ostream* out)
{
    *out << row.name;
}

class FileHandlerLine : public ::testing::TestWithParam<FileLineCase>
{
};

TEST_P(FileHandlerLine, EndsEachTextWithALineBreak)
{
    testing::cTempFolder folder;
    const std::string path = folder / "log.txt";
    cLogManager manager;
    manager.addHandler(new cLogHandlerFile(std::make_unique<cFileStdioWriteable>(path)));
    manager.log(kEngine, kMessage, "%s", GetParam().text);
    // Flushed at once: the file is complete while the handler still holds it.
    EXPECT_EQ(testing::readText(path), GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(Cases, FileHandlerLine,
                         ::testing::Values(FileLineCase{"plain", "abc", "abc\r\n"},
                                           FileLineCase{"own_line_feed", "abc\n", "abc\n"},
                                           FileLineCase{"own_cr_lf", "abc\r\n", "abc\r\n"},
                                           FileLineCase{"line_feed_inside", "ab\nc", "ab\nc\r\n"},
                                           FileLineCase{"empty", "", "\r\n"}),
                         [](const ::testing::TestParamInfo<FileLineCase>& info)
                         { return info.param.name; });

TEST(LogHandlerFile, AFailedWriteDoesNotStopTheOtherHandlers)
{
    testing::cTempFolder folder;
    const std::string path = folder / "log.txt";
    testing::writeText(path, "kept");
    cLogManager manager;
    // A read-only file: every write fails.
    manager.addHandler(new cLogHandlerFile(std::make_unique<cFileStdio>(path)));
    cLogCapture capture(&manager);
    EXPECT_EQ(manager.log(kEngine, kMessage, "after"), 2);
    EXPECT_EQ(capture.texts(), (std::vector<std::string>{"after"}));
    EXPECT_EQ(testing::readText(path), "kept");
}

TEST(LogHandlerAlertBox, AFatalTextShowsExactlyOneAlertAndReachesTheOtherHandlers)
{
    useHeadlessWindows();
    testing::cTempFolder folder;
    const std::string path = folder / "log.txt";
    cLogManager manager;
    addStartupLogHandlers(manager);
    manager.addHandler(new cLogHandlerFile(std::make_unique<cFileStdioWriteable>(path)));
    cLogCapture capture(&manager);

    ::testing::internal::CaptureStderr();
    manager.log(kEngine, kFatal, "disk on fire");
    manager.log(kEngine, kMessage, "only a message");
    const std::string shown = ::testing::internal::GetCapturedStderr();

    EXPECT_EQ(countOf(shown, "Alert: "), 1u) << shown;
    EXPECT_NE(shown.find("Alert: disk on fire\n"), std::string::npos) << shown;
    EXPECT_EQ(testing::readText(path), "disk on fire\r\nonly a message\r\n");
    EXPECT_EQ(capture.texts(), (std::vector<std::string>{"disk on fire", "only a message"}));
}

TEST(LogHandlerWinDebug, WritesToTheDebugChannelOnlyWhenItIsOn)
{
    const bool before = platform::debugOutputEnabled();
    cLogManager manager;
    manager.addHandler(new cLogHandlerWinDebug);

    platform::setDebugOutputEnabled(false);
    ::testing::internal::CaptureStderr();
    manager.log(kEngine, kDebug, "hidden\n");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");

    platform::setDebugOutputEnabled(true);
    ::testing::internal::CaptureStderr();
    manager.log(kEngine, kDebug, "shown %d\n", 5);
    manager.log(kEngine, kMessage, "not for the debugger\n");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "shown 5\n");
    platform::setDebugOutputEnabled(before);
}

// ---------------------------------------------------------------------------------------------
// The process's manager and the helpers
// ---------------------------------------------------------------------------------------------

TEST(LogHelpers, MessagefReachesTheProcesssManagerAsAnEngineMessage)
{
    ASSERT_NE(logManager(), nullptr);
    EXPECT_EQ(logManager(), logManager());
    cLogCapture capture;
    EXPECT_EQ(messagef("%d files", 3), 1);
    const auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].source, kEngine);
    EXPECT_EQ(lines[0].level, kMessage);
    EXPECT_EQ(lines[0].text, "3 files");
}

struct DebugSwitchCase
{
    const char* name;
    const char* value; // null: not set
    bool on;
};

void PrintTo(const DebugSwitchCase& row, std::ostream* out)
{
    *out << row.name;
}

class DebugfSwitch : public ::testing::TestWithParam<DebugSwitchCase>
{
};

// The switch is read once per run, so each case runs in a fresh process. The exit code is the
// number of texts a level-debug handler received.
TEST_P(DebugfSwitch, DecidesWhetherDebugTextsReachAnyHandler)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const DebugSwitchCase& row = GetParam();
    EXPECT_EXIT(
        {
            if (row.value)
                ::setenv("QELT_DEBUG_LOG", row.value, 1);
            else
                ::unsetenv("QELT_DEBUG_LOG");
            cLogManager* manager = logManager();
            auto* capture = new cCaptureHandler(0xfffff, 0xfffff);
            manager->addHandler(new cLogHandlerWinDebug);
            manager->addHandler(capture);
            debugf("marker %d\n", 42);
            std::exit(int(capture->lines().size()));
        },
        ::testing::ExitedWithCode(row.on ? 1 : 0), row.on ? "marker 42\n" : "^$");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DebugfSwitch,
    ::testing::Values(DebugSwitchCase{"unset", nullptr, false}, DebugSwitchCase{"one", "1", false},
                      DebugSwitchCase{"false", "false", false},
                      DebugSwitchCase{"true", "true", true}, DebugSwitchCase{"upper", "TRUE", true},
                      DebugSwitchCase{"mixed", "tRuE", true},
                      DebugSwitchCase{"true_with_blank", "true ", false}),
    [](const ::testing::TestParamInfo<DebugSwitchCase>& info) { return info.param.name; });

TEST(LogHelpers, FatalfShowsTheAlertWritesTheLogAndEndsTheProcess)
{
    // The child shares this test's folder, so it must be a fork of this process.
    GTEST_FLAG_SET(death_test_style, "fast");
    useHeadlessWindows();
    testing::cTempFolder folder;
    const std::string path = folder / "fatal.log";
    EXPECT_DEATH(
        {
            cLogManager* manager = logManager();
            addStartupLogHandlers(*manager);
            manager->addHandler(new cLogHandlerFile(std::make_unique<cFileStdioWriteable>(path)));
            fatalf("out of %s", "memory");
        },
        "Alert: out of memory");
    EXPECT_EQ(testing::readText(path), "out of memory\r\n");
}

} // namespace
} // namespace qelt

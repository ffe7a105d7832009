// Tests of event dispatch: broadcasts up the type tree, direct events, the immediate and delayed
// queues, reposts, the duplicate rule, the common senders, type registration and posts from
// other threads.
#include "core/event_dispatcher.h"

#include "core/event.h"
#include "core/event_sink.h"
#include "core/event_type.h"
#include "core/expression.h"
#include "core/frame_clock.h"
#include "core/process_pointers.h"
#include "platform/system.h"

#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace qelt
{
namespace
{

using Log = std::vector<std::string>;

// Writes "sink:event name" for every event and answers as told.
class cRecordingSink final : public cEventSink
{
  public:
    cRecordingSink(std::string name, Log& log, int answer = eEventContinue)
        : name_(std::move(name)), log_(log), answer(answer)
    {
    }
    int handle(cEvent& event) override
    {
        log_.push_back(name_ + ":" + event.getName());
        if (onHandle)
            onHandle(event);
        return answer;
    }

    std::function<void(cEvent&)> onHandle;

  private:
    std::string name_;
    Log& log_;

  public:
    int answer;
};

// An event that reports its destruction.
class cMortalEvent final : public cEvent
{
  public:
    cMortalEvent(const cEventType& type, uint32_t due, int& destroyed)
        : cEvent(type, due), destroyed_(destroyed)
    {
    }
    ~cMortalEvent() override { ++destroyed_; }

  private:
    int& destroyed_;
};

// A dispatcher of its own on a clock the test moves, with a few of the mouse and shell types.
class Dispatch : public ::testing::Test
{
  protected:
    Dispatch() { clock.tick(1000); }

    std::unique_ptr<cEvent> event(const cEventType& type, uint32_t due = 0)
    {
        return std::make_unique<cEvent>(type, due);
    }
    std::unique_ptr<cEvent> command(const std::string& text, uint32_t due = 0)
    {
        return std::make_unique<cEventShell>(shell, text, due);
    }

    cFrameClock clock;
    cEventDispatcher dispatcher{clock};
    cEventType mouse{nullptr, "Mouse", dispatcher};
    cEventType down{"Mouse", "Down", dispatcher};
    cEventType downLeft{"Mouse.Down", "L", dispatcher};
    cEventType shell{nullptr, "Shell", dispatcher};
    Log log;
};

// ---------------------------------------------------------------------------------------------
// Broadcasts and direct events
// ---------------------------------------------------------------------------------------------

TEST_F(Dispatch, BroadcastWalksFromTheTypeUpToItsAncestors)
{
    cRecordingSink onMouse("mouse", log), onDown("down", log), onLeft("left", log),
        onLeft2("left2", log);
    mouse.addSink(&onMouse);
    down.addSink(&onDown);
    downLeft.addSink(&onLeft);
    downLeft.addSink(&onLeft2);
    dispatcher.send(event(downLeft), nullptr);
    EXPECT_EQ(log, (Log{"left:Mouse.Down.L()", "left2:Mouse.Down.L()", "down:Mouse.Down.L()",
                        "mouse:Mouse.Down.L()"}));
    log.clear();
    dispatcher.send(event(down), nullptr);
    EXPECT_EQ(log, (Log{"down:Mouse.Down()", "mouse:Mouse.Down()"}));
}

TEST_F(Dispatch, TakenStopsTheWalk)
{
    cRecordingSink onMouse("mouse", log), onDown("down", log, eEventTaken);
    mouse.addSink(&onMouse);
    down.addSink(&onDown);
    dispatcher.send(event(downLeft), nullptr);
    EXPECT_EQ(log, Log{"down:Mouse.Down.L()"});
}

TEST_F(Dispatch, TheRootSeesEveryBroadcast)
{
    cRecordingSink onRoot("root", log);
    cEventType::root().addSink(&onRoot);
    dispatcher.send(event(shell), nullptr);
    cEventType::root().removeSink(&onRoot);
    EXPECT_EQ(log, Log{"root:Shell()"});
    EXPECT_EQ(mouse.parent(), &cEventType::root());
    EXPECT_EQ(cEventType::root().parent(), nullptr);
}

TEST_F(Dispatch, DirectEventReachesOnlyItsTarget)
{
    cRecordingSink onDown("down", log), target("target", log, eEventTaken);
    down.addSink(&onDown);
    dispatcher.send(event(downLeft), &target);
    EXPECT_EQ(log, Log{"target:Mouse.Down.L()"});
}

TEST_F(Dispatch, DirectEventAnsweredRepostComesBackAsABroadcast)
{
    cRecordingSink onDown("down", log), target("target", log, eEventRepost);
    down.addSink(&onDown);
    dispatcher.post(event(downLeft), &target);
    EXPECT_EQ(dispatcher.process(clock.now()), 1);
    EXPECT_EQ(log, Log{"target:Mouse.Down.L()"});
    EXPECT_EQ(dispatcher.process(clock.now()), 1);
    EXPECT_EQ(log, (Log{"target:Mouse.Down.L()", "down:Mouse.Down.L()"}));
}

TEST_F(Dispatch, RepostFromSendWaitsInTheQueue)
{
    int answered = 0;
    cRecordingSink onDown("down", log);
    onDown.onHandle = [&](cEvent&) { onDown.answer = answered++ ? eEventTaken : eEventRepost; };
    down.addSink(&onDown);
    dispatcher.send(event(down), nullptr);
    EXPECT_EQ(dispatcher.waitingCount(), 1u);
    EXPECT_EQ(dispatcher.process(clock.now()), 1);
    EXPECT_EQ(log.size(), 2u);
    EXPECT_EQ(dispatcher.waitingCount(), 0u);
}

TEST_F(Dispatch, SinkThatAlwaysRepostsCannotHoldUpProcessing)
{
    cRecordingSink stubborn("stubborn", log, eEventRepost);
    down.addSink(&stubborn);
    dispatcher.post(event(down), nullptr);
    for (int frame = 0; frame < 3; ++frame)
        EXPECT_EQ(dispatcher.process(clock.now()), 1) << "frame " << frame;
    EXPECT_EQ(dispatcher.waitingCount(), 1u);
    EXPECT_EQ(log.size(), 3u);
}

TEST_F(Dispatch, SinkMemberCallsItsMemberAndLetsDispatchGoOn)
{
    struct cViewer
    {
        int restored = 0;
        void restore() { ++restored; }
    } viewer;
    cEventSinkMember<cViewer> member(viewer, &cViewer::restore);
    cRecordingSink after("after", log);
    down.addSink(&member);
    down.addSink(&after);
    dispatcher.send(event(down), nullptr);
    EXPECT_EQ(viewer.restored, 1);
    EXPECT_EQ(log, Log{"after:Mouse.Down()"});
}

TEST_F(Dispatch, SinksMayAttachAndDetachWhileHandling)
{
    cRecordingSink late("late", log), first("first", log), second("second", log);
    first.onHandle = [&](cEvent&)
    {
        down.removeSink(&first);
        down.addSink(&late);
    };
    down.addSink(&first);
    down.addSink(&second);
    dispatcher.send(event(down), nullptr);
    EXPECT_EQ(log, (Log{"first:Mouse.Down()", "late:Mouse.Down()"}));
    EXPECT_EQ(down.sinks(), (std::vector<cEventSink*>{&second, &late}));
}

TEST_F(Dispatch, SendStampsTargetAndTime)
{
    cRecordingSink target("target", log, eEventTaken);
    target.onHandle = [&](cEvent& e)
    {
        EXPECT_EQ(e.target(), &target);
        EXPECT_EQ(e.postedTime(), 1000u);
    };
    dispatcher.send(event(down, 5), &target);
    EXPECT_EQ(log.size(), 1u);
}

// ---------------------------------------------------------------------------------------------
// Queues
// ---------------------------------------------------------------------------------------------

TEST_F(Dispatch, ImmediateEventsFirstInFirstOut)
{
    cRecordingSink onShell("shell", log);
    shell.addSink(&onShell);
    dispatcher.post(command("a"), nullptr);
    dispatcher.post(command("b", 999), nullptr);
    dispatcher.post(command("c", 1000), nullptr);
    EXPECT_EQ(log, Log{}) << "nothing runs before processing";
    EXPECT_EQ(dispatcher.process(clock.now()), 3);
    EXPECT_EQ(log, (Log{"shell:Shell(\"a\")", "shell:Shell(\"b\")", "shell:Shell(\"c\")"}));
}

TEST_F(Dispatch, DelayedEventsByDueTimeThenPostingOrder)
{
    cRecordingSink onShell("shell", log);
    shell.addSink(&onShell);
    dispatcher.post(command("late", 1500), nullptr);
    dispatcher.post(command("1200", 1200), nullptr);
    dispatcher.post(command("1100", 1100), nullptr);
    dispatcher.post(command("1200 again", 1200), nullptr);
    dispatcher.post(command("now"), nullptr);
    EXPECT_EQ(dispatcher.process(1000), 1);
    EXPECT_EQ(dispatcher.process(1499), 3);
    EXPECT_EQ(log, (Log{"shell:Shell(\"now\")", "shell:Shell(\"1100\")", "shell:Shell(\"1200\")",
                        "shell:Shell(\"1200 again\")"}));
    EXPECT_EQ(dispatcher.process(1499), 0);
    EXPECT_EQ(dispatcher.process(1500), 1);
    EXPECT_EQ(log.back(), "shell:Shell(\"late\")");
}

TEST_F(Dispatch, EventsPostedWhileProcessingRunInTheSameCallWhenDue)
{
    cRecordingSink onShell("shell", log);
    onShell.onHandle = [&](cEvent& e)
    {
        if (e.getName() == "Shell(\"first\")")
        {
            dispatcher.post(command("follow-up"), nullptr);
            dispatcher.post(command("later", 2000), nullptr);
        }
    };
    shell.addSink(&onShell);
    dispatcher.post(command("first"), nullptr);
    EXPECT_EQ(dispatcher.process(clock.now()), 2);
    EXPECT_EQ(log, (Log{"shell:Shell(\"first\")", "shell:Shell(\"follow-up\")"}));
    EXPECT_EQ(dispatcher.waitingCount(), 1u);
}

// ---------------------------------------------------------------------------------------------
// The duplicate rule
// ---------------------------------------------------------------------------------------------

TEST_F(Dispatch, SecondPostOfTheSameTypeTargetAndDueTimeIsDiscarded)
{
    cRecordingSink onShell("shell", log);
    shell.addSink(&onShell);
    int destroyed = 0;
    dispatcher.post(command("print 1", 1000), nullptr);
    dispatcher.post(command("print 2", 1000), nullptr); // other payload, same key
    dispatcher.post(std::make_unique<cMortalEvent>(shell, 1000, destroyed), nullptr);
    EXPECT_EQ(destroyed, 1) << "discarded at once";
    EXPECT_EQ(dispatcher.waitingCount(), 1u);
    dispatcher.process(clock.now());
    EXPECT_EQ(log, Log{"shell:Shell(\"print 1\")"});

    // Once taken it is no longer waiting: the same post is accepted again.
    dispatcher.post(command("print 3", 1000), nullptr);
    dispatcher.process(clock.now());
    EXPECT_EQ(log.back(), "shell:Shell(\"print 3\")");
}

struct KeyCase
{
    const char* name;
    bool otherTarget;
    uint32_t secondDue;
    size_t waiting;
};

void PrintTo(const KeyCase& row, std::ostream* out)
{
    *out << row.name;
}

class DuplicateKey : public Dispatch, public ::testing::WithParamInterface<KeyCase>
{
};

TEST_P(DuplicateKey, OnlyAllThreeFieldsEqualDiscard)
{
    const KeyCase& row = GetParam();
    cRecordingSink a("a", log), b("b", log);
    dispatcher.post(command("one", 900), &a);
    dispatcher.post(command("two", row.secondDue), row.otherTarget ? &b : &a);
    EXPECT_EQ(dispatcher.waitingCount(), row.waiting);
}

INSTANTIATE_TEST_SUITE_P(Keys, DuplicateKey,
                         ::testing::Values(KeyCase{"same_key", false, 900, 1},
                                           KeyCase{"other_target", true, 900, 2},
                                           KeyCase{"other_due_time", false, 901, 2},
                                           KeyCase{"delayed_never_discarded", false, 5000, 2}),
                         [](const ::testing::TestParamInfo<KeyCase>& info)
                         { return std::string(info.param.name); });

TEST_F(Dispatch, DelayedEventsWithOneKeyAreAllDelivered)
{
    cRecordingSink onShell("shell", log);
    shell.addSink(&onShell);
    dispatcher.post(command("a", 1200), nullptr);
    dispatcher.post(command("b", 1200), nullptr);
    EXPECT_EQ(dispatcher.process(1200), 2);
}

TEST_F(Dispatch, WaitingEventsDieWithTheDispatcher)
{
    int destroyed = 0;
    {
        cEventDispatcher local(clock);
        const cEventType type(nullptr, "Local", local);
        local.post(std::make_unique<cMortalEvent>(type, 0, destroyed), nullptr);
        local.post(std::make_unique<cMortalEvent>(type, 5000, destroyed), nullptr);
    }
    EXPECT_EQ(destroyed, 2);
}

TEST_F(Dispatch, EventsNobodyTakesAreDestroyed)
{
    int destroyed = 0;
    cRecordingSink onDown("down", log);
    down.addSink(&onDown);
    dispatcher.post(std::make_unique<cMortalEvent>(down, 0, destroyed), nullptr);
    dispatcher.post(std::make_unique<cMortalEvent>(mouse, 0, destroyed), nullptr);
    EXPECT_EQ(dispatcher.process(clock.now()), 2);
    EXPECT_EQ(destroyed, 2);
}

// ---------------------------------------------------------------------------------------------
// The common senders
// ---------------------------------------------------------------------------------------------

TEST_F(Dispatch, SendersMakeEventsOnlyForTypesWithSinks)
{
    cEventType renderer(nullptr, "Renderer", dispatcher);
    cEventType load("Renderer", "Load", dispatcher);
    cEventType scene(nullptr, "Scene", dispatcher);
    cEventType updateBegin("Scene", "UpdateBegin", dispatcher);

    dispatcher.sendRenderer(load);
    dispatcher.sendScene(updateBegin, 12, 0);
    dispatcher.postCommand(shell, "print 1", 0);
    EXPECT_EQ(dispatcher.waitingCount(), 0u) << "no sinks: nothing made";
    EXPECT_TRUE(log.empty());

    cRecordingSink onRenderer("renderer", log), onScene("scene", log), onShell("shell", log);
    renderer.addSink(&onRenderer); // the parent's sink counts
    scene.addSink(&onScene);
    shell.addSink(&onShell);
    EXPECT_TRUE(load.hasSinks());
    dispatcher.sendRenderer(load);
    dispatcher.sendScene(updateBegin, 12, 0);
    dispatcher.postCommand(shell, "print 1", 0);
    EXPECT_EQ(log, (Log{"renderer:Renderer.Load()", "scene:Scene.UpdateBegin(12)"}));
    dispatcher.process(clock.now());
    EXPECT_EQ(log.back(), "shell:Shell(\"print 1\")");
}

TEST_F(Dispatch, PlainEventsHaveNoArguments)
{
    const std::unique_ptr<cEvent> e = event(down);
    EXPECT_EQ(e->argumentCount(), 0);
    EXPECT_EQ(e->argument(0), &voidExpression());
    EXPECT_EQ(e->argument(-1), &voidExpression());
    EXPECT_EQ(e->target(), nullptr);
    EXPECT_EQ(e->dueTime(), 0u);
}

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

TEST_F(Dispatch, TypesRegisterUnderTheirFullNames)
{
    EXPECT_EQ(downLeft.fullName(), "Mouse.Down.L");
    EXPECT_EQ(dispatcher.findType("Mouse.Down.L"), &downLeft);
    EXPECT_EQ(dispatcher.findType("Mouse.Down.R"), nullptr);
    EXPECT_EQ(downLeft.parent(), &down);
    {
        cEventType again(nullptr, "Shell", dispatcher);
        EXPECT_EQ(dispatcher.findType("Shell"), &shell) << "the first registered stays";
    }
    EXPECT_EQ(dispatcher.findType("Shell"), &shell);
    {
        cEventType temporary(nullptr, "Temporary", dispatcher);
        EXPECT_EQ(dispatcher.findType("Temporary"), &temporary);
    }
    EXPECT_EQ(dispatcher.findType("Temporary"), nullptr);
    std::vector<std::string> names;
    for (const cEventType* type : dispatcher.types())
        names.push_back(type->fullName());
    EXPECT_EQ(names, (std::vector<std::string>{"Mouse", "Mouse.Down", "Mouse.Down.L", "Shell"}));
}

TEST_F(Dispatch, UnknownParentEndsTheChainWithADebugLine)
{
    testing::cLogCapture capture;
    const bool before = platform::debugOutputEnabled();
    platform::setDebugOutputEnabled(true);
    cEventType orphan("Nowhere", "Child", dispatcher);
    cRecordingSink onOrphan("orphan", log), onRoot("root", log);
    orphan.addSink(&onOrphan);
    cEventType::root().addSink(&onRoot);
    EXPECT_EQ(orphan.parent(), nullptr);
    EXPECT_EQ(orphan.parent(), nullptr);
    dispatcher.send(event(orphan), nullptr);
    cEventType::root().removeSink(&onRoot);
    platform::setDebugOutputEnabled(before);
    EXPECT_EQ(capture.texts(), std::vector<std::string>{"Event Type Nowhere not found\n"});
    EXPECT_EQ(log, Log{"orphan:Nowhere.Child()"});
}

TEST_F(Dispatch, TraceWritesEveryDispatch)
{
    testing::cLogCapture capture;
    const bool before = platform::debugOutputEnabled();
    platform::setDebugOutputEnabled(true);
    dispatcher.setTrace(true);
    cRecordingSink target("target", log, eEventTaken);
    dispatcher.send(event(down), nullptr);
    dispatcher.send(event(down), &target);
    dispatcher.setTrace(false);
    dispatcher.send(event(down), nullptr);
    platform::setDebugOutputEnabled(before);
    const std::vector<std::string> texts = capture.texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "Broadcast Event: Mouse.Down()\n");
    char direct[64];
    std::snprintf(direct, sizeof direct, "Direct Event to %08lx: Mouse.Down()\n",
                  static_cast<unsigned long>(reinterpret_cast<uintptr_t>(&target)));
    EXPECT_EQ(texts[1], direct);
}

TEST(EventTypes, ProcessTypesMeetInTheSharedDispatcher)
{
    const cEventType type(nullptr, "ProcessWide.Probe");
    EXPECT_EQ(eventDispatcher().findType("ProcessWide.Probe"), &type);
    EXPECT_EQ(processPointers()->get("EventDispatcher"), &eventDispatcher());
}

// ---------------------------------------------------------------------------------------------
// Other threads
// ---------------------------------------------------------------------------------------------

TEST_F(Dispatch, PostsFromOtherThreadsRunOnTheProcessingThread)
{
    constexpr int kThreads = 4;
    constexpr int kPerThread = 250;
    clock.tick(1000000);
    std::atomic<int> delivered{0};
    std::atomic<int> elsewhere{0};
    const std::thread::id processing = std::this_thread::get_id();
    cRecordingSink onShell("shell", log);
    onShell.onHandle = [&](cEvent&)
    {
        ++delivered;
        if (std::this_thread::get_id() != processing)
            ++elsewhere;
    };
    shell.addSink(&onShell);

    std::atomic<int> finished{0};
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t)
        posters.emplace_back(
            [&, t]
            {
                // Distinct due times in the past, so none is a duplicate of another.
                for (int i = 0; i < kPerThread; ++i)
                    dispatcher.post(command("x", static_cast<uint32_t>(t * 1000 + i + 1)), nullptr);
                ++finished;
            });
    while (finished < kThreads)
    {
        dispatcher.process(clock.now());
        std::this_thread::yield();
    }
    for (std::thread& poster : posters)
        poster.join();
    dispatcher.process(clock.now());
    EXPECT_EQ(delivered, kThreads * kPerThread);
    EXPECT_EQ(elsewhere, 0);
    EXPECT_EQ(dispatcher.waitingCount(), 0u);
}

// A sink may wait for another thread that posts (the shell runs commands under its own lock, and
// other threads post while holding it): the dispatcher holds no lock while a sink handles.
TEST_F(Dispatch, PostsFromOtherThreadsGoThroughWhileASinkHandles)
{
    cRecordingSink onMouse("mouse", log);
    bool postedWhileHandling = false;
    std::future<void> poster; // outlives the handler, so a blocked post fails instead of hanging
    onMouse.onHandle = [&](cEvent&)
    {
        poster = std::async(std::launch::async, [&] { dispatcher.post(command("later"), nullptr); });
        postedWhileHandling =
            poster.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    };
    mouse.addSink(&onMouse);
    dispatcher.post(event(mouse), nullptr);
    dispatcher.process(clock.now());
    poster.wait();
    EXPECT_TRUE(postedWhileHandling);
}

} // namespace
} // namespace qelt

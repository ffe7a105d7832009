// Tests of the component base: update propagation through listener channels, listening and
// detaching, and the counted listener lists.
#include "core/component.h"

#include "core/component_type.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace qelt
{
namespace
{

// Writes "name@tick<-source" into a shared log on every update, then passes the tick on.
class cRecorder : public cComponent
{
  public:
    cRecorder(const std::string& name, std::vector<std::string>& log, int channel = 0)
        : cComponent(name), log_(log), channel_(channel)
    {
    }
    ~cRecorder() override
    {
        if (died)
            *died = true;
    }

    int updateChannel() const override { return channel_; }
    void update(const cUpdateContext& context, cComponent* source) override
    {
        log_.push_back(name() + "@" + std::to_string(context.tick) + "<-" +
                       (source ? source->name() : "none"));
        if (onUpdate)
            onUpdate(*this);
        cComponent::update(context, source);
    }

    bool* died = nullptr;
    std::function<void(cRecorder&)> onUpdate;

  private:
    std::vector<std::string>& log_;
    int channel_;
};

class Updates : public ::testing::Test
{
  protected:
    cRef<cRecorder> make(const std::string& name, int channel = 0)
    {
        return cRef<cRecorder>(new cRecorder(name, log, channel));
    }
    void tick(cComponent& root, int32_t frame) { root.update(cUpdateContext{frame, 16}, nullptr); }

    std::vector<std::string> log;
};

using Log = std::vector<std::string>;

TEST_F(Updates, TimelinesOnChannelOneRunBeforeChannelZero)
{
    const auto scene = make("scene"), a = make("a"), timeline = make("timeline", 1), b = make("b");
    a->attachTo(*scene);
    timeline->attachTo(*scene);
    b->attachTo(*scene);
    EXPECT_EQ(scene->channelCount(), 2);
    tick(*scene, 1);
    EXPECT_EQ(log, (Log{"scene@1<-none", "timeline@1<-scene", "a@1<-scene", "b@1<-scene"}));
}

TEST_F(Updates, EachListenerOncePerFrameHoweverManyPathsLeadToIt)
{
    // scene -> left -> shared, scene -> right -> shared, scene -> shared.
    const auto scene = make("scene"), left = make("left"), right = make("right"),
               shared = make("shared");
    left->attachTo(*scene);
    right->attachTo(*scene);
    shared->attachTo(*left);
    shared->attachTo(*right);
    shared->attachTo(*scene);
    tick(*scene, 7);
    EXPECT_EQ(log, (Log{"scene@7<-none", "left@7<-scene", "shared@7<-left", "right@7<-scene"}));
    EXPECT_EQ(shared->updateStamp(), 7);

    log.clear();
    tick(*scene, 7);
    EXPECT_EQ(log, Log{"scene@7<-none"}) << "same frame number: nobody again";

    log.clear();
    tick(*scene, 8);
    EXPECT_EQ(log, (Log{"scene@8<-none", "left@8<-scene", "shared@8<-left", "right@8<-scene"}));
}

TEST_F(Updates, TwoSourcesInOneFrameUpdateAListenerOnce)
{
    const auto first = make("first"), second = make("second"), listener = make("listener");
    listener->attachTo(*first);
    listener->attachTo(*second);
    tick(*first, 3);
    tick(*second, 3);
    EXPECT_EQ(log, (Log{"first@3<-none", "listener@3<-first", "second@3<-none"}));
}

TEST_F(Updates, CyclesEndAtTheStamps)
{
    const auto a = make("a"), b = make("b");
    a->attachTo(*b);
    b->attachTo(*a);
    tick(*a, 1);
    EXPECT_EQ(log, (Log{"a@1<-none", "b@1<-a", "a@1<-b"}));
    // The cycle keeps both alive; break it so they can go.
    a->detachFrom(*b);
    b->detachFrom(*a);
}

TEST_F(Updates, AListenerMayDetachItselfWhileUpdating)
{
    const auto scene = make("scene"), quitter = make("quitter"), after = make("after");
    quitter->attachTo(*scene);
    after->attachTo(*scene);
    quitter->onUpdate = [&](cRecorder& self) { self.detachFrom(*scene); };
    tick(*scene, 1);
    EXPECT_EQ(log, (Log{"scene@1<-none", "quitter@1<-scene", "after@1<-scene"}));
    EXPECT_EQ(scene->listeners(0).size(), 1u);
    log.clear();
    tick(*scene, 2);
    EXPECT_EQ(log, (Log{"scene@2<-none", "after@2<-scene"}));
}

TEST_F(Updates, ListenerThatDropsItsLastReferenceSurvivesItsOwnUpdate)
{
    bool died = false;
    const auto scene = make("scene");
    {
        const auto quitter = make("quitter");
        quitter->died = &died;
        quitter->attachTo(*scene);
        quitter->onUpdate = [&](cRecorder& self) { self.detachFrom(*scene); };
    }
    EXPECT_FALSE(died) << "the list keeps it";
    tick(*scene, 1);
    EXPECT_TRUE(died) << "released once its update returned";
}

// ---------------------------------------------------------------------------------------------
// Listening
// ---------------------------------------------------------------------------------------------

TEST_F(Updates, ListsHoldTheirListenersCounted)
{
    bool died = false;
    const auto source = make("source");
    cRecorder* listener = new cRecorder("listener", log);
    listener->died = &died;
    listener->attachTo(*source);
    listener->attachTo(*source);
    EXPECT_EQ(listener->refCount(), 2);
    listener->detachFrom(*source);
    EXPECT_TRUE(died) << "every occurrence was removed";
    EXPECT_TRUE(source->listeners(0).empty());
}

TEST_F(Updates, ChannelsGrowOnDemandAndDetachIgnoresMissingOnes)
{
    const auto source = make("source"), timeline = make("timeline", 1), plain = make("plain");
    plain->detachFrom(*source);
    EXPECT_EQ(source->channelCount(), 0);
    timeline->attachTo(*source);
    EXPECT_EQ(source->channelCount(), 2);
    EXPECT_TRUE(source->listeners(0).empty());
    EXPECT_EQ(source->listeners(1).size(), 1u);
    EXPECT_TRUE(source->listeners(5).empty());
    EXPECT_TRUE(source->listeners(-1).empty());
    plain->detachFrom(*source);
    EXPECT_EQ(source->listeners(1).size(), 1u);
}

TEST_F(Updates, ReplacingTheListsReleasesTheOldOnes)
{
    bool died = false;
    const auto source = make("source"), kept = make("kept");
    cRecorder* old = new cRecorder("old", log);
    old->died = &died;
    old->attachTo(*source);
    source->setListeners({{}, {cRef<cComponent>(kept.get())}});
    EXPECT_TRUE(died);
    EXPECT_EQ(source->channelCount(), 2);
    tick(*source, 4);
    EXPECT_EQ(log, (Log{"source@4<-none", "kept@4<-source"}));
}

TEST(Component, StartsNamedDisabledAndUnstamped)
{
    const cRef<cComponent> plain(new cComponent);
    EXPECT_EQ(plain->name(), "");
    EXPECT_FALSE(plain->isEnabled());
    EXPECT_EQ(plain->updateStamp(), 0);
    EXPECT_EQ(plain->updateChannel(), 0);
    EXPECT_EQ(&plain->getType(), &cComponent::staticType());
    plain->setEnabled(true);
    EXPECT_TRUE(plain->isEnabled());
}

} // namespace
} // namespace qelt

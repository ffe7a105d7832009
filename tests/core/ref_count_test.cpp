// Tests of the intrusive count and the counted pointer.
#include "core/ref_count.h"

#include <gtest/gtest.h>

#include <utility>

namespace qelt
{
namespace
{

// Counts its own destruction.
class cCounted : public cRefCount
{
  public:
    explicit cCounted(int& destroyed) : destroyed_(destroyed) {}
    ~cCounted() override { ++destroyed_; }

  private:
    int& destroyed_;
};

class cDerived final : public cCounted
{
  public:
    using cCounted::cCounted;
};

TEST(RefCount, StartsAtZeroAndDiesWhenTheLastReferenceGoes)
{
    int destroyed = 0;
    auto* object = new cCounted(destroyed);
    EXPECT_EQ(object->refCount(), 0);
    object->addRef();
    object->addRef();
    EXPECT_EQ(object->refCount(), 2);
    object->release();
    EXPECT_EQ(destroyed, 0);
    object->release();
    EXPECT_EQ(destroyed, 1);
}

TEST(RefCount, ACopyStartsUncounted)
{
    int destroyed = 0;
    cRef<cCounted> original(new cCounted(destroyed));
    cRef<cCounted> copy(new cCounted(*original));
    EXPECT_EQ(original->refCount(), 1);
    EXPECT_EQ(copy->refCount(), 1);
    copy.reset();
    EXPECT_EQ(destroyed, 1);
}

TEST(CountedPointer, CopiesCountAndDropsRelease)
{
    int destroyed = 0;
    cCounted* object = new cCounted(destroyed);
    {
        cRef<cCounted> a(object);
        EXPECT_EQ(object->refCount(), 1);
        {
            cRef<cCounted> b = a;
            EXPECT_EQ(object->refCount(), 2);
            EXPECT_TRUE(b == a);
        }
        EXPECT_EQ(object->refCount(), 1);
        cRef<cCounted> moved = std::move(a);
        EXPECT_FALSE(a);
        EXPECT_EQ(moved.get(), object);
        EXPECT_EQ(object->refCount(), 1);
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(CountedPointer, AssignmentReleasesTheOldObject)
{
    int destroyed = 0;
    cRef<cCounted> a(new cCounted(destroyed));
    cRef<cCounted> b(new cCounted(destroyed));
    a = b;
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(b->refCount(), 2);
    a = a;
    EXPECT_EQ(b->refCount(), 2);
    a = nullptr;
    b = nullptr;
    EXPECT_EQ(destroyed, 2);
}

TEST(CountedPointer, ConvertsToABase)
{
    int destroyed = 0;
    const cRef<cDerived> derived(new cDerived(destroyed));
    const cRef<cCounted> base = derived;
    EXPECT_EQ(base.get(), derived.get());
    EXPECT_EQ(derived->refCount(), 2);
}

TEST(CountedPointer, NullIsSafe)
{
    cRef<cCounted> none;
    EXPECT_FALSE(none);
    none.reset();
    cRef<cCounted> other = none;
    EXPECT_EQ(other.get(), nullptr);
}

} // namespace
} // namespace qelt

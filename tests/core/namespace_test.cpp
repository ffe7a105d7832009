// Tests of the directory base of command groups.
#include "core/namespace.h"

#include "core/value.h"

#include <gtest/gtest.h>

#include <string>

namespace qelt
{
namespace
{

// The abstract base alone: refuses entries.
class cFixedDirectory final : public cNamespace
{
  public:
    std::string getName() const override { return "fixed"; }
};

// A directory that takes entries, as a command group does.
class cOpenDirectory final : public cNamespace
{
  public:
    std::string getName() const override { return "open"; }
    bool add(const std::string& name, cExpression* entry) override { return addEntry(name, entry); }
    bool remove(cExpression* entry) override { return removeEntry(entry); }
};

// A value that reads as a text.
class cName final : public cValue
{
  public:
    explicit cName(const char* text) : text_(text) {}
    int kind() const override { return eValueIdentifier; }
    bool getCString(const char*& out) const override
    {
        out = text_;
        return true;
    }

  private:
    const char* text_;
};

class Directory : public ::testing::Test
{
  protected:
    cRef<cExpression> a{new cExpressionVoid}, b{new cExpressionVoid}, c{new cExpressionVoid};
};

TEST_F(Directory, BaseRefusesEntries)
{
    cFixedDirectory fixed;
    EXPECT_FALSE(fixed.add("a", a.get()));
    EXPECT_FALSE(fixed.remove(a.get()));
    EXPECT_EQ(fixed.size(), 0);
    EXPECT_EQ(fixed.getName(), "fixed");
}

TEST_F(Directory, KeepsOrderAndFindsTheFirstByName)
{
    cOpenDirectory open;
    EXPECT_TRUE(open.add("play", a.get()));
    EXPECT_TRUE(open.add("stop", b.get()));
    EXPECT_TRUE(open.add("play", c.get())) << "no duplicate check";
    ASSERT_EQ(open.size(), 3);
    EXPECT_EQ(*open.nameAt(1), "stop");
    EXPECT_EQ(open.entryAt(2), c);
    EXPECT_EQ(open.find("play"), a);
    EXPECT_EQ(open.find(cName("stop")), b);
    EXPECT_EQ(open.find("Play"), nullptr);
    EXPECT_EQ(open.find(cExpressionVoid()), nullptr) << "a value without text names nothing";
    EXPECT_EQ(open.nameAt(3), nullptr);
    EXPECT_EQ(open.nameAt(-1), nullptr);
    EXPECT_EQ(open.entryAt(3), nullptr);
    EXPECT_EQ(a->refCount(), 2);
}

TEST_F(Directory, RemovesByIdentityKeepingTheOthersInOrder)
{
    cOpenDirectory open;
    open.add("x", a.get());
    open.add("y", b.get());
    open.add("z", c.get());
    EXPECT_TRUE(open.remove(b.get()));
    EXPECT_FALSE(open.remove(b.get()));
    ASSERT_EQ(open.size(), 2);
    EXPECT_EQ(*open.nameAt(0), "x");
    EXPECT_EQ(*open.nameAt(1), "z");
    EXPECT_EQ(b->refCount(), 1);
}

} // namespace
} // namespace qelt

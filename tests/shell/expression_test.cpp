// Tests of the expression classes: type records, holders, calls with their call records, blocks,
// pool names, reference holders and the shared void expression.
#include "core/component_type.h"
#include "core/event.h"
#include "core/event_dispatcher.h"
#include "core/event_type.h"
#include "core/frame_clock.h"
#include "platform/system.h"
#include "shell/expression_block.h"
#include "shell/expression_factory.h"
#include "shell/expression_function.h"
#include "shell/expression_holder.h"
#include "shell/expression_pool_name.h"
#include "shell/shell_call.h"

#include "tests/shell/value_variables.h"
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace qelt
{
namespace
{

using testing::cTextVariable;
using testing::cVariable;
using Expressions = std::vector<cRef<cExpression>>;

// ---------------------------------------------------------------------------------------------
// Type records
// ---------------------------------------------------------------------------------------------

struct TypeCase
{
    const char* name;
    const char* fullName;
    int kind; // of a created instance
};

void PrintTo(const TypeCase& row, std::ostream* out)
{
    *out << row.name;
}

class ExpressionTypes : public ::testing::TestWithParam<TypeCase>
{
};

TEST_P(ExpressionTypes, CreatedByFullName)
{
    const TypeCase& row = GetParam();
    const cRef<cComponent> made(createComponent(row.fullName, "ignored"));
    ASSERT_TRUE(made) << row.fullName;
    EXPECT_EQ(made->getType().fullName(), row.fullName);
    auto* expression = dynamic_cast<cExpression*>(made.get());
    ASSERT_NE(expression, nullptr);
    EXPECT_EQ(expression->kind(), row.kind);
    EXPECT_EQ(expression->name(), "-");
}

INSTANTIATE_TEST_SUITE_P(
    Records, ExpressionTypes,
    ::testing::Values(
        TypeCase{"void", "Component.Expression.Void", eValueVoid},
        TypeCase{"function", "Component.Expression.Function", eValueCall},
        TypeCase{"block", "Component.Expression.Block", eValueBlock},
        TypeCase{"pool_name", "Component.Expression.PoolName", eValueString},
        TypeCase{"bool", "Component.Expression.Holder<bool, eValueBool>", eValueBool},
        TypeCase{"int", "Component.Expression.Holder<int, eValueNumber>", eValueNumber},
        TypeCase{"float", "Component.Expression.Holder<float, eValueReal>", eValueReal},
        TypeCase{"string", "Component.Expression.Holder<std::string, eValueString>", eValueString},
        TypeCase{"identifier", "Component.Expression.Holder<std::string, eValueIdentifier>",
                 eValueIdentifier},
        TypeCase{"vector2", "Component.Expression.Holder<cVector2f, eValueVector2>", eValueVector2},
        TypeCase{"vector3", "Component.Expression.Holder<cVector3f, eValueVector3>", eValueVector3},
        TypeCase{"vector4", "Component.Expression.Holder<cVector4f, eValueVector4>", eValueVector4},
        TypeCase{"matrix2", "Component.Expression.Holder<cMatrix2f, eValueMatrix2>", eValueMatrix2},
        TypeCase{"matrix3", "Component.Expression.Holder<cMatrix3f, eValueMatrix3>", eValueMatrix3},
        TypeCase{"matrix4", "Component.Expression.Holder<cMatrix4f, eValueMatrix4>", eValueMatrix4},
        TypeCase{"quaternion", "Component.Expression.Holder<cQuaternionf, eValueQuaternion>",
                 eValueQuaternion},
        TypeCase{"shell_name", "Component.Expression.Holder<cShellName*, eValueShellName>",
                 eValueShellName},
        TypeCase{"reference", "Component.Expression.RefHolder<cComponent, eValueComponent>",
                 eValueComponent}),
    [](const ::testing::TestParamInfo<TypeCase>& info) { return std::string(info.param.name); });

TEST(ExpressionTypes, TheBaseIsAbstract)
{
    testing::cLogCapture capture;
    const bool before = platform::debugOutputEnabled();
    platform::setDebugOutputEnabled(true);
    EXPECT_EQ(createComponent("Component.Expression", ""), nullptr);
    platform::setDebugOutputEnabled(before);
    EXPECT_EQ(capture.texts(), std::vector<std::string>{
                                   "Component type Component.Expression has no create() method\n"});
}

// ---------------------------------------------------------------------------------------------
// Holders and the factory
// ---------------------------------------------------------------------------------------------

struct HolderCase
{
    const char* name;
    std::function<cRef<cExpression>()> make; // through newHolder
    int kind;                                // 0 with text "" means: no holder
    const char* text;
};

void PrintTo(const HolderCase& row, std::ostream* out)
{
    *out << row.name;
}

class Holders : public ::testing::TestWithParam<HolderCase>
{
};

TEST_P(Holders, KeepTheValueTheyWereMadeFrom)
{
    const HolderCase& row = GetParam();
    const cRef<cExpression> made = row.make();
    if (row.text[0] == '\0')
    {
        EXPECT_FALSE(made);
        return;
    }
    ASSERT_TRUE(made);
    EXPECT_EQ(made->kind(), row.kind);
    EXPECT_EQ(made->toString(), row.text);
}

cRef<cComponent>& lamp()
{
    static cRef<cComponent> component(new cComponent("lamp"));
    return component;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, Holders,
    ::testing::Values(
        HolderCase{"void", [] { return newHolder(voidExpression()); }, eValueVoid, "<void>"},
        HolderCase{"bool", [] { return newHolder(cVariable<bool>(true)); }, eValueBool, "true"},
        HolderCase{"int", [] { return newHolder(cVariable<int32_t>(-4)); }, eValueNumber, "-4"},
        HolderCase{"real", [] { return newHolder(cVariable<float>(0.25f)); }, eValueReal, "0.25"},
        HolderCase{"string", [] { return newHolder(cTextVariable("a b")); }, eValueString,
                   "\"a b\""},
        HolderCase{"identifier", [] { return newHolder(cTextVariable("ab", eValueIdentifier)); },
                   eValueIdentifier, "ab"},
        HolderCase{"vector3",
                   [] {
                       return newHolder(cVariable<cVector3f>({1, 2, 3}));
                   },
                   eValueVector3, "[1,2,3]"},
        HolderCase{"matrix4", [] { return newHolder(cVariable<cMatrix4f>(cMatrix4f::identity())); },
                   eValueMatrix4, "[[1,0,0,0],[0,1,0,0],[0,0,1,0],[0,0,0,1]]"},
        HolderCase{"quaternion", [] { return newHolder(cVariable<cQuaternionf>({})); },
                   eValueQuaternion, "[1,0,0,0]"},
        HolderCase{"component", [] { return newHolder(cVariable<cComponent*>(lamp().get())); },
                   eValueComponent, "lamp(2 Refs)"},
        HolderCase{"colour_has_no_holder", [] { return newHolder(cVariable<cColouri>({})); }, 0,
                   ""},
        HolderCase{"unknown_kind_has_no_holder", [] { return newHolder(cTextVariable("x", 42)); },
                   0, ""},
        HolderCase{"unreadable_value", [] { return newHolder(cTextVariable("x", eValueNumber)); },
                   0, ""}),
    [](const ::testing::TestParamInfo<HolderCase>& info) { return std::string(info.param.name); });

TEST(Holders, AreConstants)
{
    const cRef<cExpression> number = newHolder(cVariable<int32_t>(1));
    EXPECT_TRUE(number->isReadOnly());
    EXPECT_FALSE(number->setInt(2));
    EXPECT_FALSE(number->assign(cVariable<int32_t>(3)));
    EXPECT_FALSE(number->add(cVariable<int32_t>(3)));
    EXPECT_EQ(number->toString(), "1");
}

TEST(Holders, ExpressionValuesAreTheirOwnExpression)
{
    const cRef<cExpression> block = newBlock({});
    EXPECT_EQ(newHolder(*block), block);
    cVariable<cExpression*> field(block.get());
    EXPECT_EQ(newHolder(field), block);
}

// A component that says when it dies.
class cProbe final : public cComponent
{
  public:
    explicit cProbe(bool& died) : cComponent("held"), died_(died) {}
    ~cProbe() override { died_ = true; }

  private:
    bool& died_;
};

TEST(Holders, ReferenceHolderCountsItsComponent)
{
    bool died = false;
    cComponent* component = new cProbe(died);
    cRef<cExpression> holder = newRefHolder(component);
    EXPECT_EQ(component->refCount(), 1);
    EXPECT_EQ(holder->toString(), "held(1 Refs)");
    cComponent* read = nullptr;
    EXPECT_TRUE(holder->getComponent(read));
    EXPECT_EQ(read, component);
    EXPECT_FALSE(died);
    holder.reset();
    EXPECT_TRUE(died);
}

TEST(Holders, ReferenceHolderOfNothing)
{
    const cRef<cExpression> empty = newRefHolder(nullptr);
    cComponent* read = lamp().get();
    EXPECT_TRUE(empty->getComponent(read));
    EXPECT_EQ(read, nullptr);
    EXPECT_FALSE(empty->setComponent(lamp().get()));
}

// ---------------------------------------------------------------------------------------------
// Calls and call records
// ---------------------------------------------------------------------------------------------

// A callee that writes down what its call record showed, leaves a result and answers as told.
class cRecordingCallee final : public cExpression
{
  public:
    int kind() const override { return eValueVoid; }
    bool call(cShellCall& call) override
    {
        ++calls;
        seen.clear();
        for (int i = -1; i <= call.argumentCount(); ++i)
            seen.push_back(call.argument(i).toString());
        event = call.event();
        call.result() = result;
        return answer;
    }

    int calls = 0;
    std::vector<std::string> seen; // argument -1 .. argumentCount, so both ends show the void
    cEvent* event = nullptr;
    cRef<cExpression> result;
    bool answer = true;
};

// An event that hands one argument to the commands it runs.
class cEventWithFile final : public cEvent
{
  public:
    explicit cEventWithFile(const cEventType& type)
        : cEvent(type), file_(newHolder(cTextVariable("drop.png")))
    {
    }
    int argumentCount() const override { return 1; }
    cExpression* argument(int index) const override
    {
        return index == 0 ? file_.get() : cEvent::argument(index);
    }

  private:
    cRef<cExpression> file_;
};

class Calls : public ::testing::Test
{
  protected:
    cRef<cRecordingCallee> callee{new cRecordingCallee};
    Expressions arguments{newHolder(cVariable<int32_t>(1)), newHolder(cTextVariable("two"))};
};

TEST_F(Calls, ExecuteHandsTheArgumentsAndReturnsTheAnswer)
{
    const cRef<cExpression> call = newCall(callee.get(), arguments);
    EXPECT_TRUE(call->execute());
    EXPECT_EQ(callee->calls, 1);
    EXPECT_EQ(callee->seen, (std::vector<std::string>{"<void>", "1", "\"two\"", "<void>"}));
    EXPECT_EQ(callee->event, nullptr);

    callee->answer = false;
    EXPECT_FALSE(call->execute());
    EXPECT_EQ(callee->calls, 2);
}

TEST_F(Calls, ResultIsReleasedAfterExecute)
{
    callee->result = newHolder(cVariable<int32_t>(5));
    const cRef<cExpression> call = newCall(callee.get(), {});
    EXPECT_TRUE(call->execute());
    EXPECT_EQ(callee->result->refCount(), 1);
}

TEST_F(Calls, EventArgumentsFollowTheExplicitOnes)
{
    cEventDispatcher dispatcher(frameClock());
    const cEventType dropped(nullptr, "Drop", dispatcher);
    cEventWithFile event(dropped);
    const cRef<cExpression> call = newCall(callee.get(), arguments);
    EXPECT_TRUE(call->executeWith(&event));
    EXPECT_EQ(callee->event, &event);
    EXPECT_EQ(callee->seen,
              (std::vector<std::string>{"<void>", "1", "\"two\"", "\"drop.png\"", "<void>"}));
}

struct CallBoolCase
{
    const char* name;
    bool answer;
    bool hasResult;
    bool ok;
};

void PrintTo(const CallBoolCase& row, std::ostream* out)
{
    *out << row.name;
}

class CallAsBool : public ::testing::TestWithParam<CallBoolCase>
{
};

TEST_P(CallAsBool, RunsAndReadsTheResult)
{
    const CallBoolCase& row = GetParam();
    const cRef<cRecordingCallee> callee(new cRecordingCallee);
    callee->answer = row.answer;
    if (row.hasResult)
        callee->result = newHolder(cTextVariable("on"));
    const cRef<cExpression> call = newCall(callee.get(), {});
    bool v = false;
    EXPECT_EQ(call->getBool(v), row.ok);
    EXPECT_EQ(v, row.ok);
    EXPECT_EQ(callee->calls, 1);
    if (row.hasResult)
    {
        EXPECT_EQ(callee->result->refCount(), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, CallAsBool,
                         ::testing::Values(CallBoolCase{"ran_with_result", true, true, true},
                                           CallBoolCase{"ran_without_result", true, false, false},
                                           CallBoolCase{"failed_with_result", false, true, false}),
                         [](const ::testing::TestParamInfo<CallBoolCase>& info)
                         { return std::string(info.param.name); });

TEST_F(Calls, WithoutCalleeNothingRuns)
{
    const cRef<cExpression> call = newCall(nullptr, arguments);
    EXPECT_FALSE(call->execute());
    EXPECT_FALSE(call->executeWith(nullptr));
    bool v = true;
    EXPECT_FALSE(call->getBool(v));
    int8_t c = 7;
    EXPECT_FALSE(call->getChar(c));
    EXPECT_EQ(c, 7);
}

TEST_F(Calls, MissingArgumentsReadAsVoid)
{
    Expressions withGap{nullptr};
    const cRef<cExpression> call = newCall(callee.get(), withGap);
    EXPECT_TRUE(call->execute());
    EXPECT_EQ(callee->seen, (std::vector<std::string>{"<void>", "<void>", "<void>"}));
}

// ---------------------------------------------------------------------------------------------
// Blocks
// ---------------------------------------------------------------------------------------------

class Blocks : public ::testing::Test
{
  protected:
    cRef<cRecordingCallee> make(bool answer)
    {
        cRef<cRecordingCallee> callee(new cRecordingCallee);
        callee->answer = answer;
        return callee;
    }
};

TEST_F(Blocks, StopAtTheFirstStatementThatFails)
{
    const cRef<cRecordingCallee> first = make(true), second = make(false), third = make(true);
    const cRef<cExpression> block =
        newBlock({newCall(first.get(), {}), newCall(second.get(), {}), newCall(third.get(), {})});
    EXPECT_FALSE(block->execute());
    EXPECT_EQ(first->calls, 1);
    EXPECT_EQ(second->calls, 1);
    EXPECT_EQ(third->calls, 0);
}

TEST_F(Blocks, RunAllAndPassTheEvent)
{
    cEventDispatcher dispatcher(frameClock());
    const cEventType dropped(nullptr, "Drop", dispatcher);
    cEventWithFile event(dropped);
    const cRef<cRecordingCallee> first = make(true), second = make(true);
    const cRef<cExpression> block =
        newBlock({newCall(first.get(), {}), nullptr, newCall(second.get(), {})});
    EXPECT_TRUE(block->executeWith(&event));
    EXPECT_EQ(first->event, &event);
    EXPECT_EQ(second->event, &event);
    EXPECT_EQ(second->seen, (std::vector<std::string>{"<void>", "\"drop.png\"", "<void>"}));
}

TEST_F(Blocks, EmptyBlockSucceeds)
{
    EXPECT_TRUE(newBlock({})->execute());
    EXPECT_EQ(newBlock({})->kind(), eValueBlock);
}

TEST_F(Blocks, StatementsThatAreNotRunnableFail)
{
    const cRef<cRecordingCallee> after = make(true);
    const cRef<cExpression> block =
        newBlock({newHolder(cVariable<int32_t>(1)), newCall(after.get(), {})});
    EXPECT_FALSE(block->execute());
    EXPECT_EQ(after->calls, 0);
}

// ---------------------------------------------------------------------------------------------
// The shared void expression and pool names
// ---------------------------------------------------------------------------------------------

TEST(VoidExpression, IsSharedAndOutlivesItsUsers)
{
    cExpressionVoid& shared = voidExpression();
    EXPECT_EQ(&shared, &voidExpression());
    const int before = shared.refCount();
    {
        const cRef<cExpression> user(&shared);
        EXPECT_EQ(shared.refCount(), before + 1);
    }
    EXPECT_EQ(shared.refCount(), before);
    EXPECT_TRUE(shared.execute());
    EXPECT_TRUE(shared.executeWith(nullptr));
    EXPECT_EQ(shared.kind(), eValueVoid);
}

TEST(PoolName, ReadsAsItsNameAndKeepsItsPool)
{
    const cRef<cExpression> made = newPoolName("materials", "shaded");
    auto* pool = dynamic_cast<cExpressionPoolName*>(made.get());
    ASSERT_NE(pool, nullptr);
    EXPECT_EQ(pool->pool(), "materials");
    EXPECT_EQ(pool->entryName(), "shaded");
    std::string text;
    EXPECT_TRUE(made->getString(text));
    EXPECT_EQ(text, "shaded");
    EXPECT_FALSE(made->setString("other"));
    EXPECT_EQ(made->toString(), "\"shaded\"");
}

} // namespace
} // namespace qelt

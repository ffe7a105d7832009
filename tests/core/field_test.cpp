// Tests of fields: lookup on components, the four description families, field values with their
// kinds and conversions, read-only fields, and values that count their component.
#include "core/field.h"

#include "core/component.h"
#include "core/expression.h"

#include "tests/core/shapes.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

namespace qelt
{
namespace
{

using testing::cShape;
using testing::cSquare;

template <typename Row> std::string rowName(const ::testing::TestParamInfo<Row>& info)
{
    return info.param.name;
}

class Fields : public ::testing::Test
{
  protected:
    std::unique_ptr<cFieldValue> field(const char* name)
    {
        std::unique_ptr<cFieldValue> value = square->fieldValue(name);
        EXPECT_TRUE(value) << name;
        return value;
    }

    cRef<cSquare> square{new cSquare("sq")};
};

// ---------------------------------------------------------------------------------------------
// Lookup through the component
// ---------------------------------------------------------------------------------------------

TEST_F(Fields, InheritedFieldHidesTheOwnFieldOfTheSameName)
{
    EXPECT_EQ(square->fieldCount(), 12);
    EXPECT_EQ(square->fieldIndex("sides"), 1);
    square->sides = 3;
    square->ownSides = 4;
    int32_t v = 0;
    ASSERT_TRUE(field("sides")->getInt(v));
    EXPECT_EQ(v, 3);
    // Both are reachable by index.
    ASSERT_TRUE(square->fieldValue(10)->getInt(v));
    EXPECT_EQ(v, 4);
    EXPECT_STREQ(square->fieldDescription(10)->name(), "sides");
}

TEST_F(Fields, UnknownNamesAndIndicesGiveNothing)
{
    EXPECT_EQ(square->fieldValue("nothing"), nullptr);
    EXPECT_EQ(square->fieldDescription("nothing"), nullptr);
    EXPECT_FALSE(square->hasField("nothing"));
    EXPECT_TRUE(square->hasField("corner"));
    for (int index : {-1, 12, 1000})
    {
        EXPECT_EQ(square->fieldValue(index), nullptr) << index;
        EXPECT_EQ(square->fieldDescription(index), nullptr) << index;
        EXPECT_FALSE(square->hasField(index)) << index;
    }
    EXPECT_TRUE(square->hasField(0));
    EXPECT_TRUE(square->hasField(11));
}

TEST_F(Fields, EveryComponentHasEnabled)
{
    const cRef<cComponent> plain(new cComponent);
    std::unique_ptr<cFieldValue> enabled = plain->fieldValue("enabled");
    ASSERT_TRUE(enabled);
    EXPECT_EQ(enabled->kind(), eValueBool);
    EXPECT_TRUE(enabled->setBool(true));
    EXPECT_TRUE(plain->isEnabled());
    EXPECT_EQ(enabled->toString(), "true");
    EXPECT_EQ(enabled->owner(), plain.get());
    EXPECT_STREQ(enabled->description().name(), "enabled");
}

// ---------------------------------------------------------------------------------------------
// Kinds and printed values of each family and representation
// ---------------------------------------------------------------------------------------------

struct KindCase
{
    const char* name;
    const char* field;
    int kind;
    bool readOnly;
    const char* text;
};

void PrintTo(const KindCase& row, std::ostream* out)
{
    *out << row.name;
}

class FieldKinds : public Fields, public ::testing::WithParamInterface<KindCase>
{
};

TEST_P(FieldKinds, ReportTheKindOfTheirType)
{
    const KindCase& row = GetParam();
    square->colour = cColouri::fromBytes(255, 0, 0, 255);
    square->setSize(3);
    std::unique_ptr<cFieldValue> value = field(row.field);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->kind(), row.kind);
    EXPECT_EQ(value->isReadOnly(), row.readOnly);
    EXPECT_EQ(value->toString(), row.text);
}

INSTANTIATE_TEST_SUITE_P(
    Families, FieldKinds,
    ::testing::Values(KindCase{"member_int", "sides", eValueNumber, false, "3"},
                      KindCase{"method_float", "size", eValueReal, false, "3"},
                      KindCase{"read_only_method", "area", eValueReal, true, "9"},
                      KindCase{"ref_method_matrix", "transform", eValueMatrix4, false,
                               "[[1,0,0,0],[0,1,0,0],[0,0,1,0],[0,0,0,1]]"},
                      KindCase{"member_colour", "colour", eValueColour, false, "[1,0,0,1]"},
                      KindCase{"member_bool", "filled", eValueBool, false, "false"},
                      KindCase{"member_component", "partner", eValueComponent, false, "<NULL>"},
                      KindCase{"member_subclass_pointer", "next", eValueComponent, false, "<NULL>"},
                      KindCase{"method_expression", "action", eValueExpression, false, "<NULL>"}),
    rowName<KindCase>);

// ---------------------------------------------------------------------------------------------
// Setting
// ---------------------------------------------------------------------------------------------

TEST_F(Fields, SettersReachTheComponent)
{
    EXPECT_TRUE(field("sides")->setInt(6));
    EXPECT_EQ(square->sides, 6);
    EXPECT_TRUE(field("size")->setFloat(-2));
    EXPECT_EQ(square->size(), 0) << "the setter ran and clamped";
    EXPECT_TRUE(field("transform")->setMatrix4(translationMatrix({1, 2, 3})));
    cMatrix4f m;
    square->getTransform(m);
    EXPECT_EQ(translationOf(m), (cVector3f{1, 2, 3}));
    EXPECT_TRUE(field("colour")->setColour(cColouri{0x80ff2010}));
    EXPECT_EQ(square->colour.argb, 0x80ff2010u);
    EXPECT_TRUE(field("corner")->setBool(true));
    EXPECT_TRUE(square->corner);
}

TEST_F(Fields, ReadOnlyFieldRefusesEverySet)
{
    std::unique_ptr<cFieldValue> area = field("area");
    EXPECT_FALSE(area->setFloat(4));
    EXPECT_FALSE(area->assign(*field("size")));
    EXPECT_FALSE(area->add(*field("size")));
    EXPECT_EQ(square->area(), 1);
}

struct WrongKindCase
{
    const char* name;
    const char* field;
    std::function<bool(cFieldValue&)> set;
    const char* unchanged;
};

void PrintTo(const WrongKindCase& row, std::ostream* out)
{
    *out << row.name;
}

class WrongKind : public Fields, public ::testing::WithParamInterface<WrongKindCase>
{
};

TEST_P(WrongKind, IsRefusedAndChangesNothing)
{
    std::unique_ptr<cFieldValue> value = field(GetParam().field);
    EXPECT_FALSE(GetParam().set(*value));
    EXPECT_EQ(value->toString(), GetParam().unchanged);
}

INSTANTIATE_TEST_SUITE_P(
    Setters, WrongKind,
    ::testing::Values(
        WrongKindCase{"int_by_float", "sides", [](cFieldValue& v) { return v.setFloat(2); }, "3"},
        WrongKindCase{"int_by_long", "sides", [](cFieldValue& v) { return v.setLong(2); }, "3"},
        WrongKindCase{"float_by_int", "size", [](cFieldValue& v) { return v.setInt(2); }, "1"},
        WrongKindCase{"bool_by_string", "filled",
                      [](cFieldValue& v) { return v.setString("true"); }, "false"},
        WrongKindCase{"matrix4_by_matrix3", "transform",
                      [](cFieldValue& v) { return v.setMatrix3(cMatrix3f{}); },
                      "[[1,0,0,0],[0,1,0,0],[0,0,1,0],[0,0,0,1]]"},
        WrongKindCase{"colour_by_int", "colour", [](cFieldValue& v) { return v.setInt(1); },
                      "[0,0,0,0]"},
        WrongKindCase{"subclass_pointer_by_other_class", "next",
                      [](cFieldValue& v)
                      {
                          const cRef<cComponent> plain(new cComponent("plain"));
                          return v.setComponent(plain.get());
                      },
                      "<NULL>"},
        WrongKindCase{"expression_by_component", "action",
                      [](cFieldValue& v) { return v.setComponent(nullptr); }, "<NULL>"}),
    rowName<WrongKindCase>);

TEST_F(Fields, ConversionsOfTheValueDefaultsApply)
{
    square->sides = 5;
    float f = 0;
    EXPECT_TRUE(field("sides")->getFloat(f));
    EXPECT_EQ(f, 5);
    int32_t i = 9;
    EXPECT_FALSE(field("size")->getInt(i)) << "a real never reads as an int";
    EXPECT_EQ(i, 9);
    EXPECT_TRUE(field("size")->assign(*field("sides")));
    EXPECT_EQ(square->size(), 5);
    EXPECT_TRUE(field("sides")->add(*field("sides")));
    EXPECT_EQ(square->sides, 10);
}

TEST_F(Fields, ComponentPointersTakeTheirClassOrNull)
{
    const cRef<cShape> other(new cShape("other"));
    std::unique_ptr<cFieldValue> next = field("next");
    EXPECT_TRUE(next->setComponent(other.get()));
    EXPECT_EQ(square->next, other.get());
    EXPECT_EQ(next->toString(), "other");
    cComponent* read = nullptr;
    EXPECT_TRUE(next->getComponent(read));
    EXPECT_EQ(read, other.get());
    EXPECT_TRUE(next->setComponent(nullptr));
    EXPECT_EQ(square->next, nullptr);

    EXPECT_TRUE(field("partner")->setComponent(other.get()));
    EXPECT_EQ(square->partner, other.get());
}

TEST_F(Fields, ExpressionFieldsStoreTheExpression)
{
    cExpression* action = &voidExpression();
    std::unique_ptr<cFieldValue> value = field("action");
    EXPECT_TRUE(value->setExpression(action));
    EXPECT_EQ(square->action(), action);
    cExpression* read = nullptr;
    EXPECT_TRUE(value->getExpression(read));
    EXPECT_EQ(read, action);
    EXPECT_EQ(value->toString(), "<void>");
    EXPECT_TRUE(value->setExpression(nullptr));
}

// ---------------------------------------------------------------------------------------------
// Plain and counting values
// ---------------------------------------------------------------------------------------------

// A shape that says when it dies.
class cMortalShape final : public cShape
{
  public:
    explicit cMortalShape(bool& died) : died_(died) {}
    ~cMortalShape() override { died_ = true; }

  private:
    bool& died_;
};

TEST(FieldValues, PlainValuesDoNotCountTheirComponent)
{
    bool died = false;
    cRef<cShape> shape(new cMortalShape(died));
    const cFieldDescription* sides = shape->fieldDescription("sides");
    std::unique_ptr<cFieldValue> plain = sides->newValue(*shape);
    EXPECT_EQ(shape->refCount(), 1);
    plain.reset();
    EXPECT_FALSE(died);
}

TEST(FieldValues, RefValuesKeepTheirComponentAlive)
{
    bool died = false;
    cRef<cShape> shape(new cMortalShape(died));
    for (const char* name : {"sides", "size", "area", "transform"})
    {
        std::unique_ptr<cFieldValue> counted = shape->fieldDescription(name)->newRefValue(*shape);
        EXPECT_EQ(shape->refCount(), 2) << name;
        EXPECT_EQ(counted->owner(), shape.get());
    }
    std::unique_ptr<cFieldValue> counted = shape->fieldDescription("area")->newRefValue(*shape);
    EXPECT_TRUE(counted->isReadOnly());
    shape.reset();
    EXPECT_FALSE(died) << "the value holds the last reference";
    float area = 0;
    EXPECT_TRUE(counted->getFloat(area));
    EXPECT_EQ(area, 1);
    counted.reset();
    EXPECT_TRUE(died);
}

} // namespace
} // namespace qelt

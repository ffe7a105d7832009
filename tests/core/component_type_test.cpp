// Tests of component type records: full names, the registry, createComponent and its messages,
// the flattened field table, and registration in separately loaded modules.
#include "core/component_type.h"

#include "core/expression.h"
#include "core/field.h"
#include "platform/shared_library.h"
#include "platform/system.h"

#include "tests/core/shapes.h"
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace qelt
{
namespace
{

using testing::cShape;
using testing::cSquare;

// Debug output on for one scope, so the debug-level messages can be read.
class cDebugOutput
{
  public:
    cDebugOutput() : before_(platform::debugOutputEnabled())
    {
        platform::setDebugOutputEnabled(true);
    }
    ~cDebugOutput() { platform::setDebugOutputEnabled(before_); }

  private:
    bool before_;
};

template <typename Row> std::string rowName(const ::testing::TestParamInfo<Row>& info)
{
    return info.param.name;
}

// ---------------------------------------------------------------------------------------------
// Full names and the registry
// ---------------------------------------------------------------------------------------------

TEST(ComponentType, FullNamesFollowTheParents)
{
    EXPECT_EQ(cComponent::staticType().fullName(), "Component");
    EXPECT_EQ(cShape::staticType().fullName(), "Component.Shape");
    EXPECT_EQ(cSquare::staticType().fullName(), "Component.Shape.Square");
    EXPECT_EQ(cExpressionVoid::staticType().fullName(), "Component.Expression.Void");
    EXPECT_STREQ(cSquare::staticType().name(), "Square");
    EXPECT_EQ(cSquare::staticType().parent(), &cShape::staticType());
    EXPECT_EQ(cComponent::staticType().parent(), nullptr);
}

TEST(ComponentType, RegistryHoldsParentsBeforeChildren)
{
    const std::vector<cComponentType*>& types = componentTypes();
    auto at = [&](const cComponentType& type)
    { return std::find(types.begin(), types.end(), &type) - types.begin(); };
    ASSERT_LT(at(cSquare::staticType()), static_cast<long>(types.size()));
    EXPECT_LT(at(cComponent::staticType()), at(cShape::staticType()));
    EXPECT_LT(at(cShape::staticType()), at(cSquare::staticType()));
    EXPECT_EQ(findComponentType("Component.Shape.Square"), &cSquare::staticType());
}

TEST(ComponentType, DestroyedRecordLeavesTheRegistry)
{
    const std::size_t before = componentTypes().size();
    {
        const cComponentType temporary("Temporary", &cShape::staticType(), nullptr);
        EXPECT_EQ(componentTypes().size(), before + 1);
        EXPECT_EQ(findComponentType("Component.Shape.Temporary"), &temporary);
    }
    EXPECT_EQ(componentTypes().size(), before);
    EXPECT_EQ(findComponentType("Component.Shape.Temporary"), nullptr);
}

TEST(ComponentType, FirstRegisteredWinsForOneName)
{
    const cComponentType shadow("Shape", &cComponent::staticType(), nullptr);
    EXPECT_EQ(findComponentType("Component.Shape"), &cShape::staticType());
}

TEST(ComponentType, IsATheTypeOrAnAncestor)
{
    EXPECT_TRUE(cSquare::staticType().isA(cShape::staticType()));
    EXPECT_TRUE(cSquare::staticType().isA(cComponent::staticType()));
    EXPECT_TRUE(cShape::staticType().isA(cShape::staticType()));
    EXPECT_FALSE(cShape::staticType().isA(cSquare::staticType()));
}

// ---------------------------------------------------------------------------------------------
// createComponent and its messages
// ---------------------------------------------------------------------------------------------

struct CreateCase
{
    const char* name;
    const char* typeName;
    const char* created; // full name of the result, or null
    const char* message; // the debug line, or null
};

void PrintTo(const CreateCase& row, std::ostream* out)
{
    *out << row.name;
}

class CreateComponent : public ::testing::TestWithParam<CreateCase>
{
};

TEST_P(CreateComponent, MakesOrSaysWhy)
{
    const CreateCase& row = GetParam();
    testing::cLogCapture capture;
    cDebugOutput debug;
    const cRef<cComponent> made(createComponent(row.typeName, "Default-Scene"));
    if (row.created)
    {
        ASSERT_TRUE(made);
        EXPECT_EQ(made->getType().fullName(), row.created);
        EXPECT_EQ(made->name(), "Default-Scene");
        EXPECT_EQ(made->refCount(), 1); // only ours
    }
    else
        EXPECT_FALSE(made);
    std::vector<std::string> expected;
    if (row.message)
        expected.push_back(row.message);
    EXPECT_EQ(capture.texts(), expected);
    for (const testing::cLogLine& line : capture.lines())
        EXPECT_EQ(line.level, cLogManager::kLevelDebug);
}

INSTANTIATE_TEST_SUITE_P(
    Names, CreateComponent,
    ::testing::Values(
        CreateCase{"concrete", "Component.Shape", "Component.Shape", nullptr},
        CreateCase{"child", "Component.Shape.Square", "Component.Shape.Square", nullptr},
        CreateCase{"trailing_blank", "Component.Shape ", nullptr,
                   "Cannot find component type Component.Shape \n"},
        CreateCase{"case_matters", "component.shape", nullptr,
                   "Cannot find component type component.shape\n"},
        CreateCase{"short_name_alone", "Shape", nullptr, "Cannot find component type Shape\n"},
        CreateCase{"empty", "", nullptr, "Cannot find component type \n"},
        CreateCase{"abstract", "Component.Shape.Outline", nullptr,
                   "Component type Component.Shape.Outline has no create() method\n"},
        CreateCase{"root_is_abstract", "Component", nullptr,
                   "Component type Component has no create() method\n"},
        CreateCase{"create_fails", "Component.Broken", nullptr,
                   "Cannot create component type Component.Broken\n"}),
    rowName<CreateCase>);

TEST(CreateComponent, MessagesAreSilentWithoutDebugOutput)
{
    testing::cLogCapture capture;
    const bool before = platform::debugOutputEnabled();
    platform::setDebugOutputEnabled(false);
    EXPECT_EQ(createComponent("Component.Nothing", ""), nullptr);
    platform::setDebugOutputEnabled(before);
    EXPECT_TRUE(capture.texts().empty());
}

// ---------------------------------------------------------------------------------------------
// The flattened field table
// ---------------------------------------------------------------------------------------------

std::vector<std::string> fieldNames(const cComponentType& type)
{
    std::vector<std::string> names;
    for (int i = 0; i < type.fieldCount(); ++i)
        names.push_back(type.field(i)->name());
    return names;
}

TEST(ComponentType, FieldsOfTheParentComeFirst)
{
    EXPECT_EQ(fieldNames(cComponent::staticType()), std::vector<std::string>{"enabled"});
    EXPECT_EQ(fieldNames(cSquare::staticType()),
              (std::vector<std::string>{"enabled", "sides", "size", "area", "transform", "colour",
                                        "filled", "partner", "next", "action", "sides", "corner"}));
    EXPECT_EQ(cSquare::staticType().ownFieldCount(), 2);
    EXPECT_EQ(cSquare::staticType().field(-1), nullptr);
    EXPECT_EQ(cSquare::staticType().field(12), nullptr);
}

TEST(ComponentType, OwnFieldsEndAtTheFirstNull)
{
    const cComponentType cut(
        "Cut", &cComponent::staticType(), nullptr,
        {cShape::staticType().field(1), nullptr, cShape::staticType().field(2)});
    EXPECT_EQ(fieldNames(cut), (std::vector<std::string>{"enabled", "sides"}));
}

struct LookupCase
{
    const char* name;
    const char* field;
    int index;
};

void PrintTo(const LookupCase& row, std::ostream* out)
{
    *out << row.name;
}

class FieldLookup : public ::testing::TestWithParam<LookupCase>
{
};

TEST_P(FieldLookup, FirstExactMatchWins)
{
    EXPECT_EQ(cSquare::staticType().fieldIndex(GetParam().field), GetParam().index);
}

INSTANTIATE_TEST_SUITE_P(Names, FieldLookup,
                         ::testing::Values(LookupCase{"inherited_root_field", "enabled", 0},
                                           LookupCase{"inherited_hides_own", "sides", 1},
                                           LookupCase{"own", "corner", 11},
                                           LookupCase{"case_matters", "Sides", -1},
                                           LookupCase{"prefix_is_no_match", "side", -1},
                                           LookupCase{"longer_is_no_match", "sidesx", -1},
                                           LookupCase{"empty", "", -1}),
                         rowName<LookupCase>);

// ---------------------------------------------------------------------------------------------
// Modules: each registers its own types in its own registry
// ---------------------------------------------------------------------------------------------

using ListTypes = int (*)(char* buffer, int length);
using CanCreate = int (*)(const char* typeName);

struct cModule
{
    platform::cSharedLibrary library;
    ListTypes list = nullptr;
    CanCreate create = nullptr;

    explicit cModule(const std::string& name)
    {
        EXPECT_TRUE(library.open(std::string(QELT_TEST_MODULE_DIR) + "/" + name))
            << library.error();
        list = reinterpret_cast<ListTypes>(library.symbol("ListComponentTypes"));
        create = reinterpret_cast<CanCreate>(library.symbol("CanCreateComponent"));
        EXPECT_TRUE(list && create);
    }

    std::string types() const
    {
        char buffer[4096];
        return list(buffer, sizeof buffer) > 0 ? buffer : "";
    }
};

TEST(ComponentModules, EachModuleRegistersItsOwnTypes)
{
    cModule alpha("component_module_alpha.so");
    cModule beta("component_module_beta.so");
    ASSERT_TRUE(alpha.list && beta.list);

    EXPECT_EQ(alpha.types(), "Component,Component.Alpha");
    EXPECT_EQ(beta.types(), "Component,Component.Beta");
    EXPECT_TRUE(alpha.create("Component.Alpha"));
    EXPECT_FALSE(alpha.create("Component.Beta"));
    EXPECT_TRUE(beta.create("Component.Beta"));
    // Nothing of theirs reached the program's registry.
    EXPECT_EQ(findComponentType("Component.Alpha"), nullptr);
    EXPECT_EQ(findComponentType("Component.Beta"), nullptr);
}

} // namespace
} // namespace qelt

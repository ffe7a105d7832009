// Tests of the cValue defaults: conversions between kinds, getBool's texts, assign, add and
// subtract, and the printed forms.
#include "core/component.h"
#include "core/log_manager.h"
#include "core/namespace.h"
#include "core/value.h"
#include "shell/expression_block.h"
#include "shell/expression_factory.h"
#include "shell/expression_function.h"
#include "shell/expression_holder.h"
#include "shell/expression_pool_name.h"
#include "shell/shell_call.h"

#include "tests/shell/value_variables.h"
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

namespace qelt
{
namespace
{

using testing::cTextVariable;
using testing::cVariable;
using Shared = std::shared_ptr<cValue>;
using Make = std::function<Shared()>;

// ---- helpers -----------------------------------------------------------------------------------

// A value that is an expression, counted while the test holds it.
Shared share(cExpression* expression)
{
    expression->addRef();
    return Shared(expression, [](cValue* v) { static_cast<cExpression*>(v)->release(); });
}

Shared share(const cRef<cExpression>& expression)
{
    return share(expression.get());
}

template <typename T> Shared variable(T v)
{
    return std::make_shared<cVariable<T>>(v);
}

template <typename T> Shared holder(T v)
{
    return share(newHolder(cVariable<T>(v)));
}

Shared text(const std::string& v, int kind = eValueString)
{
    return share(newHolder(cTextVariable(v, kind)));
}

cMatrix2f matrix2(float a, float b, float c, float d)
{
    cMatrix2f m;
    m.m[0] = a, m.m[1] = b, m.m[2] = c, m.m[3] = d;
    return m;
}

cMatrix3f matrix3(float first)
{
    cMatrix3f m;
    for (int i = 0; i < 9; ++i)
        m.m[i] = first + i;
    return m;
}

cMatrix4f matrix4(float first)
{
    cMatrix4f m;
    for (int i = 0; i < 16; ++i)
        m.m[i] = first + i;
    return m;
}

// The test's own rendering of read results, independent of cValue::format.
std::string show(float v)
{
    char t[32];
    std::snprintf(t, sizeof t, "%g", v);
    return t;
}
std::string show(const float* v, int n)
{
    std::string out = "[";
    for (int i = 0; i < n; ++i)
        out += (i ? "," : "") + show(v[i]);
    return out + "]";
}

// Every getter tried on the value, with a sentinel in the variable: "Name=result" for each that
// succeeds, in getter order. A getter that fails must leave its sentinel alone.
std::string conversions(const cValue& value)
{
    std::string out;
    auto note = [&out](const char* name, bool ok, bool untouched, const std::string& result)
    {
        if (ok)
            out += (out.empty() ? "" : " ") + std::string(name) + "=" + result;
        else
            EXPECT_TRUE(untouched) << name << " failed but changed its variable";
    };
    {
        const char* v = "sentinel";
        const bool ok = value.getCString(v);
        note("CString", ok, std::string(v) == "sentinel", ok ? v : "");
    }
    {
        std::string v = "sentinel";
        const bool ok = value.getString(v);
        note("String", ok, v == "sentinel", v);
    }
    {
        bool v = false;
        const bool ok = value.getBool(v);
        note("Bool", ok, !v, v ? "true" : "false");
    }
    auto integer = [&]<typename T>(const char* name, bool (cValue::*get)(T&) const)
    {
        T v = 99;
        const bool ok = (value.*get)(v);
        note(name, ok, v == 99, std::to_string(static_cast<long long>(v)));
    };
    integer("ULong", &cValue::getUnsignedLong);
    integer("Long", &cValue::getLong);
    integer("UShort", &cValue::getUnsignedShort);
    integer("Short", &cValue::getShort);
    integer("UInt", &cValue::getUnsignedInt);
    integer("Int", &cValue::getInt);
    integer("UChar", &cValue::getUnsignedChar);
    integer("Char", &cValue::getChar);
    {
        float v = 99;
        const bool ok = value.getFloat(v);
        note("Float", ok, v == 99, show(v));
    }
    {
        double v = 99;
        const bool ok = value.getDouble(v);
        note("Double", ok, v == 99, show(static_cast<float>(v)));
    }
    {
        cVector2f v{9, 9};
        const bool ok = value.getVector2(v);
        const float f[] = {v.x, v.y};
        note("Vector2", ok, v == cVector2f{9, 9}, show(f, 2));
    }
    {
        cVector3f v{9, 9, 9};
        const bool ok = value.getVector3(v);
        const float f[] = {v.x, v.y, v.z};
        note("Vector3", ok, v == cVector3f{9, 9, 9}, show(f, 3));
    }
    {
        cVector4f v{9, 9, 9, 9};
        const bool ok = value.getVector4(v);
        const float f[] = {v.x, v.y, v.z, v.w};
        note("Vector4", ok, v == cVector4f{9, 9, 9, 9}, show(f, 4));
    }
    {
        cMatrix2f v = matrix2(9, 9, 9, 9);
        const bool ok = value.getMatrix2(v);
        note("Matrix2", ok, v == matrix2(9, 9, 9, 9), show(v.m, 4));
    }
    {
        cMatrix3f v = matrix3(90);
        const bool ok = value.getMatrix3(v);
        note("Matrix3", ok, v == matrix3(90), show(v.m, 9));
    }
    {
        cMatrix4f v = matrix4(90);
        const bool ok = value.getMatrix4(v);
        note("Matrix4", ok, v == matrix4(90), show(v.m, 16));
    }
    {
        cQuaternionf v{9, 9, 9, 9};
        const bool ok = value.getQuaternion(v);
        const float f[] = {v.x, v.y, v.z, v.w};
        note("Quaternion", ok, v == cQuaternionf{9, 9, 9, 9}, show(f, 4));
    }
    {
        cColouri v{0x99999999};
        const bool ok = value.getColour(v);
        char t[16];
        std::snprintf(t, sizeof t, "%08x", v.argb);
        note("Colour", ok, v.argb == 0x99999999, t);
    }
    {
        cComponent* const sentinel = reinterpret_cast<cComponent*>(&out);
        cComponent* v = sentinel;
        const bool ok = value.getComponent(v);
        note("Component", ok, v == sentinel, ok ? (v ? v->name() : "null") : "");
    }
    {
        cShellName* const sentinel = reinterpret_cast<cShellName*>(&out);
        cShellName* v = sentinel;
        const bool ok = value.getShellName(v);
        note("ShellName", ok, v == sentinel, ok ? (v ? "set" : "null") : "");
    }
    {
        cExpression* const sentinel = reinterpret_cast<cExpression*>(&out);
        cExpression* v = sentinel;
        const bool ok = value.getExpression(v);
        note("Expression", ok, v == sentinel, ok ? (v ? v->toString() : "null") : "");
    }
    {
        cNamespace* const sentinel = reinterpret_cast<cNamespace*>(&out);
        cNamespace* v = sentinel;
        const bool ok = value.getNamespace(v);
        note("Namespace", ok, v == sentinel, "found");
    }
    return out;
}

// A callee that answers true and leaves a result, for call values.
class cAnswering final : public cExpression
{
  public:
    explicit cAnswering(cRef<cExpression> result) : result_(std::move(result)) {}
    int kind() const override { return eValueVoid; }
    bool call(cShellCall& call) override;

  private:
    cRef<cExpression> result_;
};

bool cAnswering::call(cShellCall& call)
{
    call.result() = result_;
    return true;
}

struct ValueCase
{
    const char* name;
    Make make;
    const char* expected;
};

void PrintTo(const ValueCase& row, std::ostream* out)
{
    *out << row.name;
}

template <typename Row> std::string rowName(const ::testing::TestParamInfo<Row>& info)
{
    return info.param.name;
}

// ---------------------------------------------------------------------------------------------
// Conversions: which getters succeed on a value of each kind, and what they read
// ---------------------------------------------------------------------------------------------

class Conversions : public ::testing::TestWithParam<ValueCase>
{
};

TEST_P(Conversions, ReadEveryKind)
{
    const Shared value = GetParam().make();
    ASSERT_TRUE(value);
    EXPECT_EQ(conversions(*value), GetParam().expected);
}

// Shell names belong to the shell; values only pass their address around.
cShellName* someShellName()
{
    alignas(16) static char storage[16];
    return reinterpret_cast<cShellName*>(storage);
}

const cRef<cComponent>& box()
{
    static const cRef<cComponent> component(new cComponent("box"));
    return component;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, Conversions,
    ::testing::Values(
        ValueCase{"void", [] { return share(&voidExpression()); }, ""},
        ValueCase{"bool_true", [] { return holder(true); }, "Bool=true"},
        ValueCase{"bool_false", [] { return holder(false); }, "Bool=false"},
        ValueCase{"int_7", [] { return holder<int32_t>(7); },
                  "Bool=true ULong=7 Long=7 UShort=7 Short=7 UInt=7 Int=7 UChar=7 Char=7 "
                  "Float=7 Double=7"},
        ValueCase{"int_0_is_false", [] { return holder<int32_t>(0); },
                  "Bool=false ULong=0 Long=0 UShort=0 Short=0 UInt=0 Int=0 UChar=0 Char=0 "
                  "Float=0 Double=0"},
        ValueCase{"int_minus_1_narrowed", [] { return holder<int32_t>(-1); },
                  "Bool=true ULong=4294967295 Long=-1 UShort=65535 Short=-1 UInt=4294967295 "
                  "Int=-1 UChar=255 Char=-1 Float=-1 Double=-1"},
        ValueCase{"int_300_wraps_bytes", [] { return holder<int32_t>(300); },
                  "Bool=true ULong=300 Long=300 UShort=300 Short=300 UInt=300 Int=300 UChar=44 "
                  "Char=44 Float=300 Double=300"},
        ValueCase{"real_is_no_int", [] { return holder(2.5f); }, "Float=2.5 Double=2.5"},
        ValueCase{"string_on", [] { return text("on"); }, "CString=on String=on Bool=true"},
        ValueCase{"string_TRUE", [] { return text("TRUE"); }, "CString=TRUE String=TRUE Bool=true"},
        ValueCase{"string_Off", [] { return text("Off"); }, "CString=Off String=Off Bool=false"},
        ValueCase{"string_toggle_inverts", [] { return text("toggle"); },
                  "CString=toggle String=toggle Bool=true"},
        ValueCase{"string_digit_is_no_bool", [] { return text("1"); }, "CString=1 String=1"},
        ValueCase{"string_other", [] { return text("maybe"); }, "CString=maybe String=maybe"},
        ValueCase{"identifier", [] { return text("f", eValueIdentifier); },
                  "CString=f String=f Bool=false"},
        ValueCase{"vector2",
                  [] {
                      return holder(cVector2f{1, 2});
                  },
                  "Vector2=[1,2]"},
        ValueCase{"vector3",
                  [] {
                      return holder(cVector3f{1, 2, 3});
                  },
                  "Vector3=[1,2,3]"},
        ValueCase{"vector4",
                  [] {
                      return holder(cVector4f{1, 2, 3, 4});
                  },
                  "Vector4=[1,2,3,4]"},
        ValueCase{"matrix2", [] { return holder(matrix2(1, 2, 3, 4)); }, "Matrix2=[1,2,3,4]"},
        ValueCase{"matrix3", [] { return holder(matrix3(1)); }, "Matrix3=[1,2,3,4,5,6,7,8,9]"},
        ValueCase{"matrix4", [] { return holder(matrix4(0)); },
                  "Matrix4=[0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15]"},
        ValueCase{"quaternion",
                  [] {
                      return holder(cQuaternionf{1, 2, 3, 4});
                  },
                  "Quaternion=[1,2,3,4]"},
        ValueCase{"shell_name_null", [] { return holder<cShellName*>(nullptr); }, "ShellName=null"},
        ValueCase{"component", [] { return share(newRefHolder(box().get())); }, "Component=box"},
        ValueCase{"component_null", [] { return share(newRefHolder(nullptr)); }, "Component=null"},
        ValueCase{"colour", [] { return variable(cColouri{0x80ff2010}); }, "Colour=80ff2010"},
        ValueCase{"expression",
                  []
                  {
                      static const cRef<cExpression> five = newHolder(cVariable<int32_t>(5));
                      return variable<cExpression*>(five.get());
                  },
                  "Expression=5"},
        ValueCase{"pool_name_reads_its_name", [] { return share(newPoolName("textures", "wood")); },
                  "CString=wood String=wood"},
        ValueCase{"call_reads_its_result_as_bool",
                  []
                  { return share(newCall(new cAnswering(newHolder(cVariable<int32_t>(-3))), {})); },
                  "Bool=true Char=-3"},
        ValueCase{"block", [] { return share(newBlock({})); }, ""}),
    rowName<ValueCase>);

// ---------------------------------------------------------------------------------------------
// getBool: the texts read against the current value
// ---------------------------------------------------------------------------------------------

struct BoolCase
{
    const char* name;
    const char* text;
    bool current;
    bool ok;
    bool expected;
};

void PrintTo(const BoolCase& row, std::ostream* out)
{
    *out << row.name;
}

class BoolTexts : public ::testing::TestWithParam<BoolCase>
{
};

TEST_P(BoolTexts, ReadAgainstCurrentValue)
{
    const BoolCase& row = GetParam();
    bool v = row.current;
    EXPECT_EQ(cTextVariable(row.text).getBool(v), row.ok);
    EXPECT_EQ(v, row.expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, BoolTexts,
                         ::testing::Values(BoolCase{"t", "t", false, true, true},
                                           BoolCase{"True", "True", false, true, true},
                                           BoolCase{"ON", "ON", false, true, true},
                                           BoolCase{"F", "F", true, true, false},
                                           BoolCase{"false", "false", true, true, false},
                                           BoolCase{"off", "off", true, true, false},
                                           BoolCase{"toggle_true", "TOGGLE", true, true, false},
                                           BoolCase{"toggle_false", "toggle", false, true, true},
                                           BoolCase{"yes_refused", "yes", true, false, true},
                                           BoolCase{"empty_refused", "", false, false, false},
                                           BoolCase{"prefix_refused", "tru", false, false, false}),
                         rowName<BoolCase>);

// ---------------------------------------------------------------------------------------------
// assign: by the target's kind, through the getter and setter of that kind
// ---------------------------------------------------------------------------------------------

struct AssignCase
{
    const char* name;
    Make target;
    Make source;
    bool ok;
    const char* expected; // the target printed afterwards
};

void PrintTo(const AssignCase& row, std::ostream* out)
{
    *out << row.name;
}

class Assign : public ::testing::TestWithParam<AssignCase>
{
};

TEST_P(Assign, StoresOrLeavesUnchanged)
{
    const AssignCase& row = GetParam();
    const Shared target = row.target();
    const Shared source = row.source();
    EXPECT_EQ(target->assign(*source), row.ok);
    EXPECT_EQ(target->toString(), row.expected);
}

Shared expressionVariable()
{
    return variable<cExpression*>(nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, Assign,
    ::testing::Values(
        AssignCase{"void_accepts_anything", [] { return share(&voidExpression()); },
                   [] { return holder<int32_t>(1); }, true, "<void>"},
        AssignCase{"bool_from_int", [] { return variable(false); },
                   [] { return holder<int32_t>(2); }, true, "true"},
        AssignCase{"bool_toggle_uses_current", [] { return variable(true); },
                   [] { return text("toggle"); }, true, "false"},
        AssignCase{"bool_from_real_fails", [] { return variable(true); },
                   [] { return holder(1.0f); }, false, "true"},
        AssignCase{"int_from_int", [] { return variable<int32_t>(5); },
                   [] { return holder<int32_t>(-8); }, true, "-8"},
        AssignCase{"int_from_real_fails", [] { return variable<int32_t>(5); },
                   [] { return holder(2.5f); }, false, "5"},
        AssignCase{"real_from_int", [] { return variable(1.5f); },
                   [] { return holder<int32_t>(3); }, true, "3"},
        AssignCase{"real_from_text_fails", [] { return variable(1.5f); }, [] { return text("2"); },
                   false, "1.5"},
        AssignCase{"string_from_identifier", [] { return std::make_shared<cTextVariable>("a"); },
                   [] { return text("b", eValueIdentifier); }, true, "\"b\""},
        AssignCase{"identifier_from_pool_name",
                   [] { return std::make_shared<cTextVariable>("a", eValueIdentifier); },
                   [] { return share(newPoolName("pool", "entry")); }, true, "entry"},
        AssignCase{"string_from_int_fails", [] { return std::make_shared<cTextVariable>("a"); },
                   [] { return holder<int32_t>(1); }, false, "\"a\""},
        AssignCase{"vector3", [] { return variable(cVector3f{}); },
                   [] {
                       return holder(cVector3f{1, 2, 3});
                   },
                   true, "[1,2,3]"},
        AssignCase{"vector3_from_vector2_fails", [] { return variable(cVector3f{}); },
                   [] {
                       return holder(cVector2f{1, 2});
                   },
                   false, "[0,0,0]"},
        AssignCase{"matrix2", [] { return variable(cMatrix2f{}); },
                   [] { return holder(matrix2(1, 2, 3, 4)); }, true, "[[1,2][3,4]]"},
        AssignCase{"quaternion", [] { return variable(cQuaternionf{}); },
                   [] {
                       return holder(cQuaternionf{1, 2, 3, 4});
                   },
                   true, "[4,1,2,3]"},
        AssignCase{"component", [] { return variable<cComponent*>(nullptr); },
                   [] { return share(newRefHolder(box().get())); }, true, "box"},
        AssignCase{"expression", expressionVariable,
                   []
                   {
                       static const cRef<cExpression> seven = newHolder(cVariable<int32_t>(7));
                       return variable<cExpression*>(seven.get());
                   },
                   true, "7"},
        AssignCase{"colour_never_assigns", [] { return variable(cColouri{}); },
                   [] { return variable(cColouri{0xff0000ff}); }, false, "[0,0,0,0]"},
        AssignCase{"read_only_holder_refuses", [] { return holder<int32_t>(1); },
                   [] { return holder<int32_t>(2); }, false, "1"},
        AssignCase{"call_kind_refuses", [] { return share(newBlock({})); },
                   [] { return share(newBlock({})); }, false, "<?17>"}),
    rowName<AssignCase>);

// ---------------------------------------------------------------------------------------------
// add and subtract: in place, by the target's kind
// ---------------------------------------------------------------------------------------------

struct ArithmeticCase
{
    const char* name;
    bool subtract;
    Make target;
    Make other;
    bool ok;
    const char* expected;
};

void PrintTo(const ArithmeticCase& row, std::ostream* out)
{
    *out << row.name;
}

class Arithmetic : public ::testing::TestWithParam<ArithmeticCase>
{
};

TEST_P(Arithmetic, CombinesInPlace)
{
    const ArithmeticCase& row = GetParam();
    const Shared target = row.target();
    const Shared other = row.other();
    EXPECT_EQ(row.subtract ? target->subtract(*other) : target->add(*other), row.ok);
    EXPECT_EQ(target->toString(), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, Arithmetic,
    ::testing::Values(
        ArithmeticCase{"int_add", false, [] { return variable<int32_t>(2); },
                       [] { return holder<int32_t>(3); }, true, "5"},
        ArithmeticCase{"int_subtract", true, [] { return variable<int32_t>(2); },
                       [] { return holder<int32_t>(3); }, true, "-1"},
        ArithmeticCase{"int_add_wraps", false, [] { return variable<int32_t>(INT_MAX); },
                       [] { return holder<int32_t>(1); }, true, "-2147483648"},
        ArithmeticCase{"int_subtract_wraps", true, [] { return variable<int32_t>(INT_MIN); },
                       [] { return holder<int32_t>(1); }, true, "2147483647"},
        ArithmeticCase{"int_plus_real_fails", false, [] { return variable<int32_t>(2); },
                       [] { return holder(0.5f); }, false, "2"},
        ArithmeticCase{"real_plus_int", false, [] { return variable(1.5f); },
                       [] { return holder<int32_t>(2); }, true, "3.5"},
        ArithmeticCase{"real_subtract", true, [] { return variable(1.5f); },
                       [] { return holder(0.25f); }, true, "1.25"},
        ArithmeticCase{"vector2_add", false,
                       [] {
                           return variable(cVector2f{1, 1});
                       },
                       [] {
                           return holder(cVector2f{1, 2});
                       },
                       true, "[2,3]"},
        ArithmeticCase{"vector3_add", false,
                       [] {
                           return variable(cVector3f{1, 1, 1});
                       },
                       [] {
                           return holder(cVector3f{1, 2, 3});
                       },
                       true, "[2,3,4]"},
        ArithmeticCase{"vector4_subtract", true,
                       [] {
                           return variable(cVector4f{1, 1, 1, 1});
                       },
                       [] {
                           return holder(cVector4f{1, 2, 3, 4});
                       },
                       true, "[0,-1,-2,-3]"},
        ArithmeticCase{"vector3_plus_vector4_fails", false,
                       [] {
                           return variable(cVector3f{1, 1, 1});
                       },
                       [] {
                           return holder(cVector4f{1, 2, 3, 4});
                       },
                       false, "[1,1,1]"},
        ArithmeticCase{"matrix2_add", false, [] { return variable(matrix2(1, 1, 1, 1)); },
                       [] { return holder(matrix2(1, 2, 3, 4)); }, true, "[[2,3][4,5]]"},
        ArithmeticCase{"matrix3_subtract", true, [] { return variable(matrix3(1)); },
                       [] { return holder(matrix3(1)); }, true, "[[0,0,0],[0,0,0],[0,0,0]]"},
        ArithmeticCase{"matrix4_add", false, [] { return variable(cMatrix4f::identity()); },
                       [] { return holder(cMatrix4f::identity()); }, true,
                       "[[2,0,0,0],[0,2,0,0],[0,0,2,0],[0,0,0,2]]"},
        ArithmeticCase{"quaternion_add", false, [] { return variable(cQuaternionf{}); },
                       [] {
                           return holder(cQuaternionf{1, 2, 3, 4});
                       },
                       true, "[5,1,2,3]"},
        ArithmeticCase{"bool_fails", false, [] { return variable(true); },
                       [] { return holder(true); }, false, "true"},
        ArithmeticCase{"string_fails", false, [] { return std::make_shared<cTextVariable>("a"); },
                       [] { return text("b"); }, false, "\"a\""},
        ArithmeticCase{"colour_fails", false, [] { return variable(cColouri{1}); },
                       [] { return variable(cColouri{1}); }, false, "[0,0,0.00392157,0]"},
        ArithmeticCase{"read_only_holder_fails", false, [] { return holder<int32_t>(1); },
                       [] { return holder<int32_t>(1); }, false, "1"}),
    rowName<ArithmeticCase>);

// ---------------------------------------------------------------------------------------------
// Printed forms
// ---------------------------------------------------------------------------------------------

class Printing : public ::testing::TestWithParam<ValueCase>
{
};

TEST_P(Printing, FormatsByKind)
{
    EXPECT_EQ(GetParam().make()->toString(), GetParam().expected);
}

// A value of a kind that has no printed form.
class cOddKind final : public cValue
{
  public:
    int kind() const override { return 42; }
};

// A value claiming a kind whose getter it does not answer.
class cSilentComponent final : public cValue
{
  public:
    int kind() const override { return eValueComponent; }
};

INSTANTIATE_TEST_SUITE_P(
    Kinds, Printing,
    ::testing::Values(
        ValueCase{"void", [] { return share(&voidExpression()); }, "<void>"},
        ValueCase{"true", [] { return holder(true); }, "true"},
        ValueCase{"false", [] { return holder(false); }, "false"},
        ValueCase{"int", [] { return holder<int32_t>(-12); }, "-12"},
        ValueCase{"real", [] { return holder(0.5f); }, "0.5"},
        ValueCase{"real_large", [] { return holder(1e10f); }, "1e+10"},
        ValueCase{"string_quoted", [] { return text("hi there"); }, "\"hi there\""},
        ValueCase{"identifier_bare", [] { return text("hi", eValueIdentifier); }, "hi"},
        ValueCase{"vector2",
                  [] {
                      return holder(cVector2f{1, 2});
                  },
                  "[1,2]"},
        ValueCase{"vector3",
                  [] {
                      return holder(cVector3f{1, 2.5f, -3});
                  },
                  "[1,2.5,-3]"},
        ValueCase{"vector4",
                  [] {
                      return holder(cVector4f{1, 2, 3, 4});
                  },
                  "[1,2,3,4]"},
        ValueCase{"matrix2_rows_without_comma", [] { return holder(matrix2(1, 2, 3, 4)); },
                  "[[1,2][3,4]]"},
        ValueCase{"matrix3", [] { return holder(matrix3(1)); }, "[[1,2,3],[4,5,6],[7,8,9]]"},
        ValueCase{"matrix4", [] { return holder(matrix4(0)); },
                  "[[0,1,2,3],[4,5,6,7],[8,9,10,11],[12,13,14,15]]"},
        ValueCase{"quaternion_w_first",
                  [] {
                      return holder(cQuaternionf{0, 0, 0, 1});
                  },
                  "[1,0,0,0]"},
        ValueCase{"colour_red", [] { return variable(cColouri::fromBytes(255, 0, 0, 255)); },
                  "[1,0,0,1]"},
        ValueCase{"shell_name_null", [] { return holder<cShellName*>(nullptr); }, "<NULL>"},
        ValueCase{"shell_name_without_shell", [] { return holder(someShellName()); }, "<?>"},
        ValueCase{"component_name", [] { return variable(box().get()); }, "box"},
        ValueCase{"component_null", [] { return variable<cComponent*>(nullptr); }, "<NULL>"},
        ValueCase{"component_unreadable", [] { return std::make_shared<cSilentComponent>(); },
                  "<?>"},
        ValueCase{"reference_holder_counts", [] { return share(newRefHolder(box().get())); },
                  "box(2 Refs)"},
        ValueCase{"reference_holder_null", [] { return share(newRefHolder(nullptr)); }, "<NULL>"},
        ValueCase{"expression_null", expressionVariable, "<NULL>"},
        ValueCase{"pool_name", [] { return share(newPoolName("pool", "entry")); }, "\"entry\""},
        ValueCase{"call", [] { return share(newCall(nullptr, {})); }, "<?16>"},
        ValueCase{"unknown_kind", [] { return std::make_shared<cOddKind>(); }, "<?42>"}),
    rowName<ValueCase>);

TEST(Printing, CutsToTheBuffer)
{
    const Shared value = holder(cVector2f{1, 2});
    char buffer[8] = "xxxxxxx";
    EXPECT_EQ(value->format(buffer, 4), 3u);
    EXPECT_STREQ(buffer, "[1,");
    EXPECT_EQ(value->format(buffer, 1), 0u);
    EXPECT_STREQ(buffer, "");
    buffer[0] = 'x';
    EXPECT_EQ(value->format(buffer, 0), 0u);
    EXPECT_EQ(buffer[0], 'x');
}

TEST(Printing, ReferenceCountIsCutWithTheName)
{
    const Shared value = share(newRefHolder(box().get()));
    char buffer[6];
    EXPECT_EQ(value->format(buffer, sizeof buffer), 5u);
    EXPECT_STREQ(buffer, "box(2");
}

TEST(Printing, PrintSendsTheTextAtMessageLevel)
{
    testing::cLogCapture capture;
    holder(cVector3f{1, 2, 3})->print();
    ASSERT_EQ(capture.lines().size(), 1u);
    EXPECT_EQ(capture.lines()[0].text, "[1,2,3]");
    EXPECT_EQ(capture.lines()[0].level, cLogManager::kLevelMessage);
}

// An expression whose own text is that of the expression it holds, which is itself.
class cSelfHolding final : public cValueTyped<cExpression*, cExpression>
{
  protected:
    bool read(cExpression*& out) const override
    {
        out = const_cast<cSelfHolding*>(this);
        return true;
    }
    bool write(cExpression* const&) override { return false; }
};

TEST(Printing, ExpressionHoldingItselfEnds)
{
    const Shared value = share(new cSelfHolding);
    EXPECT_EQ(value->toString(), "<...>");
}

// ---------------------------------------------------------------------------------------------
// What the shell lends: group lookup and the path of shell names
// ---------------------------------------------------------------------------------------------

class cGroup final : public cNamespace
{
  public:
    std::string getName() const override { return "scene"; }
};

cGroup& sceneGroup()
{
    static cGroup group;
    return group;
}

class ShellLink : public ::testing::Test
{
  protected:
    ShellLink()
    {
        cValueShellLink link;
        link.findGroup = [](const std::string& path, cNamespace*& out)
        {
            if (path != "scene")
                return false;
            out = &sceneGroup();
            return true;
        };
        link.namePath = [](const cShellName&) { return std::string("scene.action.play"); };
        setValueShellLink(link);
    }
    ~ShellLink() override { setValueShellLink({}); }
};

TEST_F(ShellLink, NamespaceIsTheGroupNamedByTheText)
{
    cNamespace* found = nullptr;
    EXPECT_TRUE(text("scene")->getNamespace(found));
    EXPECT_EQ(found, &sceneGroup());
    found = nullptr;
    EXPECT_FALSE(text("input")->getNamespace(found));
    EXPECT_FALSE(holder<int32_t>(1)->getNamespace(found));
    EXPECT_EQ(found, nullptr);
}

TEST_F(ShellLink, ShellNamePrintsItsPath)
{
    EXPECT_EQ(holder(someShellName())->toString(), "scene.action.play");
}

} // namespace
} // namespace qelt

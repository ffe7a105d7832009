// Tests of the arithmetic of command texts: results, kinds, failures and operands read late.
#include "shell/expression_operator.h"

#include "shell/expression_function.h"
#include "shell/shell.h"
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#include <string>

namespace qelt
{
namespace
{

class OperatorTest : public ::testing::Test
{
  protected:
    // The expression of a one-statement text (the statement is a call of it).
    cRef<cExpression> expression(const std::string& text)
    {
        cRef<cExpression> tree = shell_.parse(text.c_str());
        auto* call = dynamic_cast<cExpressionFunction*>(tree.get());
        if (call == nullptr)
            return nullptr;
        return call->callee();
    }

    cShell shell_;
    int32_t counter_ = 5;
    float speed_ = 0.5f;
    cVector3f position_{1, 2, 3};
    cShellVariableGeneral<int32_t> counterVariable_{&counter_, nullptr, "counter", "", &shell_};
    cShellVariableGeneral<float> speedVariable_{&speed_, nullptr, "speed", "", &shell_};
    cShellVariableGeneral<cVector3f> positionVariable_{&position_, nullptr, "position", "",
                                                       &shell_};
};

struct ResultCase
{
    const char* name;
    const char* text;
    int kind;
    const char* printed;
};

class OperatorResults : public OperatorTest, public ::testing::WithParamInterface<ResultCase>
{
};

TEST_P(OperatorResults, Computes)
{
    testing::cLogCapture capture;
    cRef<cExpression> e = expression(GetParam().text);
    ASSERT_TRUE(e) << GetParam().text;
    EXPECT_EQ(e->kind(), GetParam().kind) << GetParam().text;
    EXPECT_EQ(e->toString(), GetParam().printed) << GetParam().text;
    EXPECT_TRUE(capture.texts().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, OperatorResults,
    ::testing::Values(
        ResultCase{"int_plus", "1 + 2", eValueNumber, "3"},
        ResultCase{"int_minus_left_associative", "1 - 2 - 3", eValueNumber, "-4"},
        ResultCase{"int_times", "6 * 7", eValueNumber, "42"},
        ResultCase{"int_division_truncates", "7 / 2", eValueNumber, "3"},
        ResultCase{"negative_int_division", "(-7) / 2", eValueNumber, "-3"},
        ResultCase{"int_power", "2 ^ 10", eValueNumber, "1024"},
        ResultCase{"int_power_negative_exponent", "2 ^ (-1)", eValueNumber, "0"},
        ResultCase{"int_power_of_one", "(-1) ^ (-3)", eValueNumber, "-1"},
        ResultCase{"negative_number", "-5", eValueNumber, "-5"},
        ResultCase{"negation_is_loosest", "-2 + 5", eValueNumber, "-7"},
        ResultCase{"precedence", "2 * 3 + 4 ^ 2", eValueNumber, "22"},
        ResultCase{"int_overflow_wraps", "2147483647 + 1", eValueNumber, "-2147483648"},
        ResultCase{"min_int_divided_by_minus_one", "((-2147483647) - 1) / (-1)", eValueNumber,
                   "-2147483648"},
        ResultCase{"real_and_int", "1.5 + 1", eValueReal, "2.5"},
        ResultCase{"int_and_real_division", "7 / 2.0", eValueReal, "3.5"},
        ResultCase{"real_division_by_zero", "1.0 / 0", eValueReal, "inf"},
        ResultCase{"real_power", "2.0 ^ 0.5", eValueReal, "1.41421"},
        ResultCase{"negative_real", "-1.5", eValueReal, "-1.5"},
        ResultCase{"vector_sum", "[1$2$3] + [1$1$1]", eValueVector3, "[2,3,4]"},
        ResultCase{"vector_difference", "[1$2] - [3$5]", eValueVector2, "[-2,-3]"},
        ResultCase{"vector4_sum", "[1$2$3$4] + [1$1$1$1]", eValueVector4, "[2,3,4,5]"},
        ResultCase{"vector_times_number", "[1$2] * 2", eValueVector2, "[2,4]"},
        ResultCase{"number_times_vector", "2 * [1$2]", eValueVector2, "[2,4]"},
        ResultCase{"vector_divided", "[2$4$6] / 2", eValueVector3, "[1,2,3]"},
        ResultCase{"negated_vector", "-[1$-2]", eValueVector2, "[-1,2]"},
        ResultCase{"matrix_difference", "[[1$2][3$4]] - [[1$1][1$1]]", eValueMatrix2,
                   "[[0,1][2,3]]"},
        ResultCase{"matrix_times_number", "[[1$0$0][0$1$0][0$0$1]] * 2", eValueMatrix3,
                   "[[2,0,0],[0,2,0],[0,0,2]]"},
        ResultCase{"negated_matrix", "-[[1$2][3$4]]", eValueMatrix2, "[[-1,-2][-3,-4]]"},
        ResultCase{"int_variable", "counter * 2", eValueNumber, "10"},
        ResultCase{"real_variable", "speed + counter", eValueReal, "5.5"},
        ResultCase{"vector_variable", "(position) - [1$1$1]", eValueVector3, "[0,1,2]"}),
    [](const auto& info) { return info.param.name; });

struct FailureCase
{
    const char* name;
    const char* text;
    const char* message;
};

class OperatorFailures : public OperatorTest, public ::testing::WithParamInterface<FailureCase>
{
};

// A result that cannot be computed reads as nothing, prints "<error>" and says why, once.
TEST_P(OperatorFailures, FailWithAMessage)
{
    cRef<cExpression> e = expression(GetParam().text);
    ASSERT_TRUE(e) << GetParam().text;
    EXPECT_EQ(e->kind(), eValueVoid);
    testing::cLogCapture capture;
    int32_t i = 77;
    float f = 7.0f;
    EXPECT_FALSE(e->getInt(i));
    EXPECT_FALSE(e->getFloat(f));
    EXPECT_EQ(i, 77);
    EXPECT_EQ(f, 7.0f);
    EXPECT_EQ(capture.texts(), (std::vector<std::string>{GetParam().message, GetParam().message}));
    testing::cLogCapture printed;
    EXPECT_EQ(e->toString(), "<error>");
    EXPECT_EQ(printed.texts(), std::vector<std::string>{GetParam().message});
}

INSTANTIATE_TEST_SUITE_P(
    Table, OperatorFailures,
    ::testing::Values(
        FailureCase{"int_division_by_zero", "1 / 0",
                    "Shell: integer division by zero in number / number\n"},
        FailureCase{"int_zero_to_negative_power", "0 ^ (-1)",
                    "Shell: integer division by zero in number ^ number\n"},
        FailureCase{"vectors_of_two_sizes", "[1$2] + [1$2$3]",
                    "Shell: operands do not fit in vector2 + vector3\n"},
        FailureCase{"vector_times_vector", "[1$2] * [1$2]",
                    "Shell: operands do not fit in vector2 * vector2\n"},
        FailureCase{"number_divided_by_vector", "2 / [1$2]",
                    "Shell: operands do not fit in number / vector2\n"},
        FailureCase{"text_operand", "\"a\" + 1", "Shell: + cannot take a string operand\n"},
        FailureCase{"text_right_operand", "1 + \"a\"", "Shell: + cannot take a string operand\n"},
        FailureCase{"negated_text", "-\"a\"", "Shell: unary - cannot take a string operand\n"},
        FailureCase{"nested_failure_reported_once", "(1 / 0) + 2",
                    "Shell: integer division by zero in number / number\n"}),
    [](const auto& info) { return info.param.name; });

TEST_F(OperatorTest, ReadsVariablesWhenEvaluated)
{
    cRef<cExpression> e = expression("counter + 1");
    ASSERT_TRUE(e);
    counter_ = 41;
    int32_t value = 0;
    ASSERT_TRUE(e->getInt(value));
    EXPECT_EQ(value, 42);
    float real = 0.0f;
    ASSERT_TRUE(e->getFloat(real));
    EXPECT_EQ(real, 42.0f);
}

TEST_F(OperatorTest, ComputedValuesFeedAssignments)
{
    ASSERT_TRUE(counterVariable_.add(*expression("2 * 3")));
    EXPECT_EQ(counter_, 11);
    cRef<cExpression> real = expression("0.5 + 0.25");
    int32_t unchanged = 3;
    EXPECT_FALSE(real->getInt(unchanged));
    EXPECT_EQ(unchanged, 3);
}

TEST_F(OperatorTest, IsAConstant)
{
    cRef<cExpression> e = expression("1 + 2");
    ASSERT_TRUE(e);
    EXPECT_TRUE(e->isReadOnly());
    EXPECT_FALSE(e->setInt(9));
    EXPECT_STREQ(e->getType().name(), "Operator");
}

} // namespace
} // namespace qelt

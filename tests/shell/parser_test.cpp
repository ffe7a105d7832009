// Tests of the parser: the trees command texts become, their precedence and the parser's messages.
#include "shell/parser.h"

#include "shell/expression_block.h"
#include "shell/expression_function.h"
#include "shell/expression_operator.h"
#include "shell/lexer.h"
#include "shell/shell.h"
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#include <string>

namespace qelt
{
namespace
{

// A tree as a short text: "call(callee;arg,arg)", "block(a|b)", "op(+ a b)", "neg(a)", "@path" for
// a shell entry, "void", and other values as kind letter plus printed value.
std::string describe(const cExpression* e)
{
    if (e == nullptr)
        return "null";
    if (auto* call = dynamic_cast<const cExpressionFunction*>(e))
    {
        std::string text = "call(" + describe(call->callee()) + ";";
        for (std::size_t i = 0; i < call->arguments().size(); ++i)
            text += (i ? "," : "") + describe(call->arguments()[i].get());
        return text + ")";
    }
    if (auto* block = dynamic_cast<const cExpressionBlock*>(e))
    {
        std::string text = "block(";
        for (std::size_t i = 0; i < block->statements().size(); ++i)
            text += (i ? "|" : "") + describe(block->statements()[i].get());
        return text + ")";
    }
    if (auto* op = dynamic_cast<const cExpressionOperator*>(e))
    {
        if (op->op() == '~')
            return "neg(" + describe(op->left()) + ")";
        return std::string("op(") + op->op() + " " + describe(op->left()) + " " +
               describe(op->right()) + ")";
    }
    if (auto* name = dynamic_cast<const cShellName*>(e))
        return "@" + name->fullPath();
    switch (e->kind())
    {
    case eValueVoid:
        return "void";
    case eValueNumber:
        return "n" + e->toString();
    case eValueReal:
        return "r" + e->toString();
    case eValueString:
        return "s" + e->toString();
    default:
        return e->toString();
    }
}

// A shell of its own with a few names: commands a, b, c, f, set, add, sub and the group scene
// with its group action and the command scene.action.play.
class ParserTest : public ::testing::Test
{
  protected:
    cRef<cExpression> parse(const std::string& text, const char* source = nullptr)
    {
        return shell_.parse(text.c_str(), source);
    }

    cShell shell_;
    cShellFunction a_{nullptr, nullptr, "a", "", &shell_};
    cShellFunction b_{nullptr, nullptr, "b", "", &shell_};
    cShellFunction c_{nullptr, nullptr, "c", "", &shell_};
    cShellFunction f_{nullptr, nullptr, "f", "", &shell_};
    cShellFunction set_{nullptr, nullptr, "set", "", &shell_};
    cShellFunction add_{nullptr, nullptr, "add", "", &shell_};
    cShellFunction sub_{nullptr, nullptr, "sub", "", &shell_};
    cShellGroup scene_{nullptr, "scene", "", &shell_};
    cShellGroup action_{"scene", "action", "", &shell_};
    cShellFunction play_{nullptr, "scene.action", "play", "", &shell_};
};

struct TreeCase
{
    const char* name;
    std::string text;
    const char* tree;
};

class ParserTrees : public ParserTest, public ::testing::WithParamInterface<TreeCase>
{
};

TEST_P(ParserTrees, BuildsTheTree)
{
    testing::cLogCapture capture;
    cRef<cExpression> tree = parse(GetParam().text);
    ASSERT_TRUE(tree) << GetParam().text;
    EXPECT_EQ(describe(tree.get()), GetParam().tree) << GetParam().text;
    EXPECT_TRUE(capture.texts().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParserTrees,
    ::testing::Values(
        TreeCase{"empty", "", "void"}, TreeCase{"only_blanks_and_newlines", " \n\t\n", "void"},
        TreeCase{"only_a_comment", "# nothing here", "void"},
        TreeCase{"block_comment_then_word", "/* note */ b", "call(@b;)"},
        TreeCase{"bare_name_is_a_call", "a", "call(@a;)"},
        TreeCase{"unknown_word_is_text", "zz", "call(s\"zz\";)"},
        TreeCase{"name_with_arguments", "f x, 2, \"s\"", "call(@f;s\"x\",n2,s\"s\")"},
        TreeCase{"dotted_name", "scene.action.play 1", "call(@scene.action.play;n1)"},
        TreeCase{"assignment", "x = 5", "call(@set;s\"x\",n5)"},
        TreeCase{"set_command_same_as_assignment", "set x, 5", "call(@set;s\"x\",n5)"},
        TreeCase{"assignment_is_right_associative", "a = b = c", "call(@set;@a,call(@set;@b,@c))"},
        TreeCase{"assign_an_addition_call", "a = b += c", "call(@set;@a,call(@add;@b,@c))"},
        TreeCase{"add_assign", "a += 1", "call(@add;@a,n1)"},
        TreeCase{"add_assign_takes_an_assignment", "a += b = c", "call(@add;@a,call(@set;@b,@c))"},
        TreeCase{"sub_assign_after_parenthesis", "(a) -= b", "call(@sub;@a,@b)"},
        TreeCase{"sub_assign_after_literal", "1 -= 2", "call(@sub;n1,n2)"},
        TreeCase{"minus_after_leading_name_is_an_argument", "a - b", "call(@a;neg(@b))"},
        TreeCase{"parenthesis_after_leading_name_is_an_argument", "a(b)", "call(@a;@b)"},
        TreeCase{"computed_callee_with_arguments", "(a)(b, c)", "call(@a;@b,@c)"},
        TreeCase{"call_inside_expression", "x = f(b)", "call(@set;s\"x\",call(@f;@b))"},
        TreeCase{"call_of_a_call_keeps_the_first", "(f(a))(b)", "call(@f;@a)"},
        TreeCase{"call_binds_tighter_than_plus", "1 + f(2)", "call(op(+ n1 call(@f;n2));)"},
        TreeCase{"negation_of_a_call", "-a(b)", "call(neg(call(@a;@b));)"},
        TreeCase{"plus", "1 + 2", "call(op(+ n1 n2);)"},
        TreeCase{"minus_is_left_associative", "1 - 2 - 3", "call(op(- op(- n1 n2) n3);)"},
        TreeCase{"power_is_left_associative", "2 ^ 3 ^ 2", "call(op(^ op(^ n2 n3) n2);)"},
        TreeCase{"times_before_plus", "1 + 2 * 3", "call(op(+ n1 op(* n2 n3));)"},
        TreeCase{"power_before_times", "2 * 3 ^ 2 / 4", "call(op(/ op(* n2 op(^ n3 n2)) n4);)"},
        TreeCase{"negation_takes_the_whole_sum", "- a + b", "call(neg(op(+ @a @b));)"},
        TreeCase{"negation_inside_a_product", "1 * - 2 + 3", "call(op(* n1 neg(op(+ n2 n3)));)"},
        TreeCase{"negation_stops_at_assignment", "- a = b", "call(@set;neg(@a),@b)"},
        TreeCase{"sum_then_assignment", "1 + 2 = 3", "call(@set;op(+ n1 n2),n3)"},
        TreeCase{"sum_then_add_assign", "1 + 2 += 3", "call(@add;op(+ n1 n2),n3)"},
        TreeCase{"negation_of_add_assign", "- a += b", "call(neg(call(@add;@a,@b));)"},
        TreeCase{"negative_literal", "-5", "call(neg(n5);)"},
        TreeCase{"nested_negation", "- - 1", "call(neg(neg(n1));)"},
        TreeCase{"parentheses", "(1 + 2) * 3", "call(op(* op(+ n1 n2) n3);)"},
        TreeCase{"hex_and_octal", "f 0x10, 010, 1.5", "call(@f;n16,n8,r1.5)"},
        TreeCase{"string_escape", "f \"a\\x41b\"", "call(@f;s\"aAb\")"},
        TreeCase{"vector2", "[1$2]", "call([1,2];)"},
        TreeCase{"vector3", "[1$2$3]", "call([1,2,3];)"},
        TreeCase{"vector4", "[1$2$3$4]", "call([1,2,3,4];)"},
        TreeCase{"vector_elements_keep_their_sign", "[1$-2$3]", "call([1,-2,3];)"},
        TreeCase{"vector_elements_are_computed", "[1+1$2*3$2^3$7/2]", "call([2,6,8,3];)"},
        TreeCase{"vector_element_without_value_is_0", "[\"x\"$a]", "call([0,0];)"},
        TreeCase{"matrix2", "[[1$0][0$1]]", "call([[1,0][0,1]];)"},
        TreeCase{"matrix3", "[[1$2$3][4$5$6][7$8$9]]", "call([[1,2,3],[4,5,6],[7,8,9]];)"},
        TreeCase{"matrix4", "[[1$0$0$0][0$1$0$0][0$0$1$0][0$0$0$1]]",
                 "call([[1,0,0,0],[0,1,0,0],[0,0,1,0],[0,0,0,1]];)"},
        TreeCase{"vector_as_element", "[[1$2]$3]", "call([0,3];)"},
        TreeCase{"vector_sum_as_element", "[[1$2]+[3$4]$5]", "call([0,5];)"},
        TreeCase{"three_statements", "a; b; c", "block(call(@a;)|call(@b;)|call(@c;))"},
        TreeCase{"statements_on_lines", "a\n;\nb 1", "block(call(@a;)|call(@b;n1))"},
        TreeCase{"leading_name_in_second_statement", "a; b - c",
                 "block(call(@a;)|call(@b;neg(@c)))"}),
    [](const auto& info) { return info.param.name; });

struct ErrorCase
{
    const char* name;
    std::string text;
    const char* message;
};

class ParserErrors : public ParserTest, public ::testing::WithParamInterface<ErrorCase>
{
};

TEST_P(ParserErrors, FailsWithTheMessage)
{
    testing::cLogCapture capture;
    EXPECT_FALSE(parse(GetParam().text)) << GetParam().text;
    EXPECT_EQ(capture.texts(), std::vector<std::string>{GetParam().message});
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParserErrors,
    ::testing::Values(
        ErrorCase{"sub_assign_after_name", "a -= b", "Parser: parse error\n"},
        ErrorCase{"sub_assign_after_dotted_name", "scene.action -= b", "Parser: parse error\n"},
        ErrorCase{"two_arguments_in_parentheses", "f(x, y)", "Parser: parse error\n"},
        ErrorCase{"arguments_without_comma", "a b c", "Parser: parse error\n"},
        ErrorCase{"only_semicolon", ";", "Parser: parse error\n"},
        ErrorCase{"two_semicolons", "a;;b", "Parser: parse error\n"},
        ErrorCase{"trailing_semicolon", "a;", "Parser: parse error\n"},
        ErrorCase{"comma_in_vector", "[1,2,3]", "Parser: parse error\n"},
        ErrorCase{"one_element", "[1]", "Parser: parse error\n"},
        ErrorCase{"five_elements", "[1$2$3$4$5]", "Parser: parse error\n"},
        ErrorCase{"rows_of_different_sizes", "[[1$2][3$4$5]]", "Parser: parse error\n"},
        ErrorCase{"matrix_with_too_many_rows", "[[1$2][3$4][5$6]]", "Parser: parse error\n"},
        ErrorCase{"exponent_syntax", "1.5e3", "Parser: parse error\n"},
        ErrorCase{"unterminated_string", "print \"abc", "Parser: parse error\n"},
        ErrorCase{"unclosed_parenthesis", "(1 + 2", "Parser: parse error\n"},
        ErrorCase{"dot_without_name", "scene.", "Parser: parse error\n"},
        ErrorCase{"operator_without_operand", "1 +", "Parser: parse error\n"},
        ErrorCase{"control_byte", "print \x01",
                  "Parser: unexpected byte 0x01 outside a string or comment\n"},
        ErrorCase{"high_byte", "print \xE9t\xE9",
                  "Parser: unexpected byte 0xE9 outside a string or comment\n"}),
    [](const auto& info) { return info.param.name; });

TEST_F(ParserTest, ReportsTheSourceNameAndLine)
{
    testing::cLogCapture capture;
    EXPECT_FALSE(parse("a\nb\n;", "startup"));
    EXPECT_EQ(capture.texts(), std::vector<std::string>{"Parser: startup(3) parse error\n"});
}

TEST_F(ParserTest, NestingStopsAtTheStackLimit)
{
    testing::cLogCapture capture;
    auto nested = [](int depth) { return std::string(depth, '(') + "1" + std::string(depth, ')'); };
    EXPECT_TRUE(parse("print " + nested(100)));
    EXPECT_FALSE(parse("print " + nested(250)));
    EXPECT_FALSE(parse("a = " + std::string(250, '-') + "1"));
    EXPECT_FALSE(parse(std::string(5000, '[')));
    const std::vector<std::string> texts = capture.texts();
    ASSERT_EQ(texts.size(), 3u);
    for (const std::string& text : texts)
        EXPECT_EQ(text, "Parser: parser stack overflow\n");
}

TEST_F(ParserTest, KeepsStringsWithHighBytes)
{
    cRef<cExpression> tree = parse("f \"caf\xC3\xA9\"");
    ASSERT_TRUE(tree);
    EXPECT_EQ(describe(tree.get()), "call(@f;s\"caf\xC3\xA9\")");
}

struct MemberCase
{
    const char* name;
    const char* text;
    const char* message;
};

class ParserMembers : public ParserTest, public ::testing::WithParamInterface<MemberCase>
{
};

// Lookup failures do not fail the parse: they report and stand for the void expression.
TEST_P(ParserMembers, ReportsAndUsesVoid)
{
    testing::cLogCapture capture;
    cRef<cExpression> tree = parse(GetParam().text);
    ASSERT_TRUE(tree);
    EXPECT_EQ(describe(tree.get()), "call(void;)");
    EXPECT_EQ(capture.texts(), std::vector<std::string>{GetParam().message});
}

INSTANTIATE_TEST_SUITE_P(Table, ParserMembers,
                         ::testing::Values(MemberCase{"missing_member", "scene.nothing",
                                                      "Parser: Name not in shellGroup\n"},
                                           MemberCase{"member_of_a_command", "a.b",
                                                      "Parser: Not a shellGroup\n"}),
                         [](const auto& info) { return info.param.name; });

} // namespace
} // namespace qelt

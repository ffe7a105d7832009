// The parser of the command language: precedence climbing that makes the same decisions as the
// LALR(1) tables of the grammar, including their stack limit.
//
// Operators, loosest first: "=", "+=", "-=" (right-associative); unary minus, which takes every
// binary operator into its operand; "+" "-"; "*" "/"; "^" (all left-associative); and the call
// "e(x)", tightest. A statement that starts with a name followed by a token that can start an
// expression is a call of that name with an argument list ("a - b" calls a with -b).
//
// The parser keeps count of the entries an LALR parser would hold on its state stack at each
// shift, so nesting fails at the same depth with "parser stack overflow".
#include "shell/parser.h"

#include "core/log_manager.h"
#include "core/namespace.h"
#include "shell/expression_block.h"
#include "shell/expression_factory.h"
#include "shell/expression_function.h"
#include "shell/expression_holder.h"
#include "shell/expression_operator.h"
#include "shell/lexer.h"

#include <vector>

namespace qelt
{
namespace
{

using cExpressionList = std::vector<cRef<cExpression>>;

// A bracket read by the parser: its expression, and how many elements or rows it had when it is a
// vector (so a matrix can take it as a row).
struct cBracket
{
    cRef<cExpression> expression;
    int vectorSize = 0; // 2 to 4 for a vector, 0 for a matrix
    float elements[4] = {};
};

class cParser
{
  public:
    cParser(cLexerStream& stream, cParserNames& names) : lexer_(stream), names_(names) {}

    cRef<cExpression> run()
    {
        advance();
        cRef<cExpression> tree = commandLine();
        if (failed_)
        {
            report(message_.c_str());
            return nullptr;
        }
        return tree;
    }

  private:
    // ---- tokens and failures
    // ---------------------------------------------------------------------

    void advance()
    {
        do
            token_ = lexer_.next();
        while (token_.kind == eTokenNewline);
    }

    bool is(int kind) const { return token_.kind == kind; }

    std::nullptr_t fail(const char* message)
    {
        if (!failed_)
        {
            failed_ = true;
            message_ = message;
        }
        return nullptr;
    }

    // A syntax error at the current token; an error token may say more.
    std::nullptr_t syntaxError()
    {
        if (is(eTokenError) && !token_.error.empty())
            return fail(token_.error.c_str());
        return fail("parse error");
    }

    // The stack holds entries entries after a shift: true when they fit.
    bool fits(int entries)
    {
        if (entries <= kParserStackLimit)
            return true;
        fail("parser stack overflow");
        return false;
    }

    void report(const char* message) const
    {
        const cLexerStream& stream = lexer_.stream();
        if (!stream.sourceName().empty())
            messagef("Parser: %s(%d) %s\n", stream.sourceName().c_str(), stream.line(), message);
        else
            messagef("Parser: %s\n", message);
    }

    static bool startsExpression(int kind)
    {
        return kind == eTokenNumber || kind == eTokenString || kind == eTokenReal ||
               kind == eTokenIdentifier || kind == '(' || kind == '[' || kind == '-';
    }

    // ---- statements ----------------------------------------------------------------------------

    cRef<cExpression> commandLine()
    {
        if (is(eTokenEnd))
            return &voidExpression();
        cExpressionList statements;
        int depth = 1;
        for (;;)
        {
            cRef<cExpression> statement = this->statement(depth);
            if (failed_)
                return nullptr;
            statements.push_back(statement);
            if (is(';'))
            {
                if (!fits(3))
                    return nullptr;
                advance();
                depth = 3;
                continue;
            }
            if (!is(eTokenEnd))
                return syntaxError();
            break;
        }
        if (statements.size() == 1)
            return statements.front();
        return newBlock(std::move(statements));
    }

    // A call stays itself; anything else becomes a call of it with the arguments.
    static cRef<cExpression> statementOf(const cRef<cExpression>& expression,
                                         cExpressionList arguments)
    {
        if (expression && expression->kind() == eValueCall)
            return expression;
        return newCall(expression ? expression.get() : &voidExpression(), std::move(arguments));
    }

    cRef<cExpression> statement(int depth)
    {
        if (is(eTokenIdentifier))
        {
            cRef<cExpression> name = this->name(depth);
            if (failed_)
                return nullptr;
            if (startsExpression(token_.kind))
            {
                cExpressionList arguments = list(depth + 1);
                if (failed_)
                    return nullptr;
                return statementOf(name, std::move(arguments));
            }
            cRef<cExpression> expression = this->expression(1, depth, name);
            if (failed_)
                return nullptr;
            return statementOf(expression, {});
        }
        cRef<cExpression> expression = this->expression(1, depth);
        if (failed_)
            return nullptr;
        return statementOf(expression, {});
    }

    // Expressions separated by ","; depth counts the entries below the list.
    cExpressionList list(int depth)
    {
        cExpressionList items;
        cRef<cExpression> item = expression(1, depth);
        if (failed_)
            return {};
        items.push_back(item);
        while (is(','))
        {
            if (!fits(depth + 2))
                return {};
            advance();
            item = expression(1, depth + 2);
            if (failed_)
                return {};
            items.push_back(item);
        }
        return items;
    }

    // ---- names
    // -----------------------------------------------------------------------------------

    // A word and its dotted members. A word that names nothing stands for its own text.
    cRef<cExpression> name(int depth)
    {
        if (!fits(depth + 1))
            return nullptr;
        const std::string word = token_.text;
        advance();
        cRef<cExpression> found = names_.findName(word);
        if (!found)
            found = new cExpressionHolder<std::string, eValueString>(word);
        while (is('.'))
        {
            if (!fits(depth + 2))
                return nullptr;
            advance();
            if (!is(eTokenIdentifier))
                return syntaxError();
            if (!fits(depth + 3))
                return nullptr;
            const std::string member = token_.text;
            advance();
            found = this->member(*found, member);
        }
        return found;
    }

    // The member of a group; lookup failures are reported and give the void expression.
    cRef<cExpression> member(const cExpression& left, const std::string& word)
    {
        cNamespace* group = nullptr;
        if (!left.getNamespace(group) || group == nullptr)
        {
            report("Not a shellGroup");
            return &voidExpression();
        }
        cRef<cExpression> found = group->find(word);
        if (!found)
        {
            report("Name not in shellGroup");
            return &voidExpression();
        }
        return found;
    }

    // ---- expressions ---------------------------------------------------------------------------

    static int levelOf(int kind)
    {
        switch (kind)
        {
        case '=':
            return 1;
        case '+':
        case '-':
            return 3;
        case '*':
        case '/':
            return 4;
        case '^':
            return 5;
        default:
            return 0;
        }
    }

    cRef<cExpression> callOf(const char* command, cExpression* left, cExpression* right)
    {
        cRef<cExpression> callee = names_.findName(command);
        if (!callee)
            callee = new cExpressionHolder<std::string, eValueString>(command);
        return newCall(callee.get(), {cRef<cExpression>(left), cRef<cExpression>(right)});
    }

    // An expression whose operators bind at least as tightly as minLevel; depth counts the
    // entries below it. A name already read may stand as its first operand.
    cRef<cExpression> expression(int minLevel, int depth, cRef<cExpression> first = nullptr)
    {
        cRef<cExpression> left = first ? first : unary(depth);
        if (failed_)
            return nullptr;
        left = postfix(left, depth);
        if (failed_)
            return nullptr;
        for (;;)
        {
            const int op = token_.kind;
            const int level = levelOf(op);
            if (level == 0 || level < minLevel)
                return left;
            if (!fits(depth + 2))
                return nullptr;
            advance();
            if (op == '=')
            {
                cRef<cExpression> right = expression(1, depth + 2);
                if (failed_)
                    return nullptr;
                left = callOf("set", left.get(), right.get());
                continue;
            }
            if ((op == '+' || op == '-') && is('='))
            {
                if (!fits(depth + 3))
                    return nullptr;
                advance();
                cRef<cExpression> right = expression(1, depth + 3);
                if (failed_)
                    return nullptr;
                left = callOf(op == '+' ? "add" : "sub", left.get(), right.get());
                continue;
            }
            cRef<cExpression> right = expression(level + 1, depth + 2);
            if (failed_)
                return nullptr;
            left = newOperator(static_cast<char>(op), left.get(), right.get());
        }
    }

    // Calls of an expression with a parenthesised list; a call already made ignores the list.
    cRef<cExpression> postfix(cRef<cExpression> callee, int depth)
    {
        while (is('('))
        {
            if (!fits(depth + 2))
                return nullptr;
            advance();
            cExpressionList arguments = list(depth + 2);
            if (failed_)
                return nullptr;
            if (!is(')'))
                return syntaxError();
            if (!fits(depth + 4))
                return nullptr;
            advance();
            callee = statementOf(callee, std::move(arguments));
        }
        return callee;
    }

    cRef<cExpression> unary(int depth)
    {
        switch (token_.kind)
        {
        case eTokenNumber:
        case eTokenReal:
        case eTokenString:
        {
            if (!fits(depth + 1))
                return nullptr;
            cRef<cExpression> literal;
            if (is(eTokenNumber))
                literal = new cExpressionHolder<int32_t, eValueNumber>(token_.number);
            else if (is(eTokenReal))
                literal = new cExpressionHolder<float, eValueReal>(token_.real);
            else
                literal = new cExpressionHolder<std::string, eValueString>(token_.text);
            advance();
            return literal;
        }
        case eTokenIdentifier:
            return name(depth);
        case '(':
        {
            if (!fits(depth + 1))
                return nullptr;
            advance();
            cRef<cExpression> inner = expression(1, depth + 1);
            if (failed_)
                return nullptr;
            if (!is(')'))
                return syntaxError();
            if (!fits(depth + 3))
                return nullptr;
            advance();
            return inner;
        }
        case '[':
            return bracket(depth).expression;
        case '-':
        {
            if (!fits(depth + 1))
                return nullptr;
            advance();
            cRef<cExpression> operand = expression(3, depth + 1);
            if (failed_)
                return nullptr;
            return newNegation(operand.get());
        }
        default:
            return syntaxError();
        }
    }

    // ---- vectors and matrices ------------------------------------------------------------------

    // Elements are read as floats while parsing; one without a float value counts as 0.
    static float elementValue(const cExpression& element)
    {
        float value = 0.0f;
        if (!element.getFloat(value))
            return 0.0f;
        return value;
    }

    cBracket bracket(int depth)
    {
        cBracket result;
        if (!fits(depth + 1))
            return result;
        advance();
        cRef<cExpression> first;
        if (is('['))
        {
            cBracket inner = bracket(depth + 1);
            if (failed_)
                return result;
            if (inner.vectorSize != 0 && is('['))
                return matrix(inner, depth);
            first = inner.expression;
        }
        int count = 0;
        for (;;)
        {
            cRef<cExpression> element = expression(1, depth + 1 + 2 * count, first);
            first = nullptr;
            if (failed_)
                return result;
            result.elements[count++] = elementValue(*element);
            if (count < 4 && is('$'))
            {
                if (!fits(depth + 2 * count))
                    return result;
                advance();
                continue;
            }
            break;
        }
        if (!is(']') || count < 2)
        {
            syntaxError();
            return result;
        }
        if (!fits(depth + 2 * count + 1))
            return result;
        advance();
        const float* e = result.elements;
        result.vectorSize = count;
        if (count == 2)
            result.expression = new cExpressionHolder<cVector2f, eValueVector2>({e[0], e[1]});
        else if (count == 3)
            result.expression = new cExpressionHolder<cVector3f, eValueVector3>({e[0], e[1], e[2]});
        else
            result.expression =
                new cExpressionHolder<cVector4f, eValueVector4>({e[0], e[1], e[2], e[3]});
        return result;
    }

    // The rest of a matrix whose first row has been read; rows follow without separator.
    cBracket matrix(const cBracket& firstRow, int depth)
    {
        cBracket result;
        const int n = firstRow.vectorSize;
        float rows[4][4] = {};
        for (int c = 0; c < n; ++c)
            rows[0][c] = firstRow.elements[c];
        for (int r = 1; r < n; ++r)
        {
            if (!is('['))
            {
                syntaxError();
                return result;
            }
            cBracket row = bracket(depth + 1 + r);
            if (failed_)
                return result;
            if (row.vectorSize != n)
            {
                // The row was complete but of another size: the grammar has no rule for it.
                fail("parse error");
                return result;
            }
            for (int c = 0; c < n; ++c)
                rows[r][c] = row.elements[c];
        }
        if (!is(']'))
        {
            syntaxError();
            return result;
        }
        if (!fits(depth + n + 2))
            return result;
        advance();
        if (n == 2)
        {
            cMatrix2f m{};
            for (int i = 0; i < 4; ++i)
                m.m[i] = rows[i / 2][i % 2];
            result.expression = new cExpressionHolder<cMatrix2f, eValueMatrix2>(m);
        }
        else if (n == 3)
        {
            cMatrix3f m{};
            for (int i = 0; i < 9; ++i)
                m.m[i] = rows[i / 3][i % 3];
            result.expression = new cExpressionHolder<cMatrix3f, eValueMatrix3>(m);
        }
        else
        {
            cMatrix4f m{};
            for (int i = 0; i < 16; ++i)
                m.m[i] = rows[i / 4][i % 4];
            result.expression = new cExpressionHolder<cMatrix4f, eValueMatrix4>(m);
        }
        return result;
    }

    cLexer lexer_;
    cParserNames& names_;
    cToken token_;
    bool failed_ = false;
    std::string message_;
};

} // namespace

cRef<cExpression> parseCommand(cLexerStream& stream, cParserNames& names)
{
    cParser parser(stream, names);
    return parser.run();
}

} // namespace qelt

// Operator expressions: arithmetic on numbers, reals, vectors, matrices and quaternions.
#include "shell/expression_operator.h"

#include "core/log_manager.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace qelt
{
namespace
{

[[maybe_unused]] const cComponentType& registered = cExpressionOperator::staticType();

const char* kindName(int kind)
{
    static const char* const names[] = {
        "void",      "bool",    "number",  "real",    "string",  "identifier", "vector2",
        "vector3",   "vector4", "matrix2", "matrix3", "matrix4", "quaternion", "shell name",
        "component", "colour",  "call",    "block",   "group",   "expression"};
    if (kind < 0 || kind >= static_cast<int>(sizeof(names) / sizeof(names[0])))
        return "unknown";
    return names[kind];
}

// Reads an operand into a result of its own kind; fails for kinds arithmetic does not know.
bool readOperand(const cExpression* operand, cOperatorResult& out)
{
    if (const auto* nested = dynamic_cast<const cExpressionOperator*>(operand))
        return nested->evaluate(out, true);
    out.kind = operand->kind();
    switch (out.kind)
    {
    case eValueNumber:
        return operand->getInt(out.number);
    case eValueReal:
        return operand->getFloat(out.real);
    case eValueVector2:
        return operand->getVector2(out.vector2);
    case eValueVector3:
        return operand->getVector3(out.vector3);
    case eValueVector4:
        return operand->getVector4(out.vector4);
    case eValueMatrix2:
        return operand->getMatrix2(out.matrix2);
    case eValueMatrix3:
        return operand->getMatrix3(out.matrix3);
    case eValueMatrix4:
        return operand->getMatrix4(out.matrix4);
    case eValueQuaternion:
        return operand->getQuaternion(out.quaternion);
    default:
        return false;
    }
}

bool isScalar(int kind)
{
    return kind == eValueNumber || kind == eValueReal;
}

float asReal(const cOperatorResult& value)
{
    return value.kind == eValueNumber ? static_cast<float>(value.number) : value.real;
}

// Integer arithmetic wraps as two's complement instead of overflowing.
int32_t wrap(int64_t value)
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

template <int N> cMatrixNf<N> scaled(const cMatrixNf<N>& a, float s)
{
    cMatrixNf<N> r = a;
    for (float& e : r.m)
        e *= s;
    return r;
}

// Applies a same-kind operation (op is '+' or '-') or a scaling to a vector, matrix or
// quaternion result in place.
void combineSame(cOperatorResult& a, const cOperatorResult& b, char op)
{
    const float sign = op == '+' ? 1.0f : -1.0f;
    switch (a.kind)
    {
    case eValueVector2:
        a.vector2 = a.vector2 + b.vector2 * sign;
        break;
    case eValueVector3:
        a.vector3 = a.vector3 + b.vector3 * sign;
        break;
    case eValueVector4:
        a.vector4 = a.vector4 + b.vector4 * sign;
        break;
    case eValueMatrix2:
        a.matrix2 = a.matrix2 + scaled(b.matrix2, sign);
        break;
    case eValueMatrix3:
        a.matrix3 = a.matrix3 + scaled(b.matrix3, sign);
        break;
    case eValueMatrix4:
        a.matrix4 = a.matrix4 + scaled(b.matrix4, sign);
        break;
    case eValueQuaternion:
        a.quaternion = a.quaternion + b.quaternion * sign;
        break;
    default:
        break;
    }
}

bool scale(cOperatorResult& a, float s)
{
    switch (a.kind)
    {
    case eValueVector2:
        a.vector2 = a.vector2 * s;
        return true;
    case eValueVector3:
        a.vector3 = a.vector3 * s;
        return true;
    case eValueVector4:
        a.vector4 = a.vector4 * s;
        return true;
    case eValueMatrix2:
        a.matrix2 = scaled(a.matrix2, s);
        return true;
    case eValueMatrix3:
        a.matrix3 = scaled(a.matrix3, s);
        return true;
    case eValueMatrix4:
        a.matrix4 = scaled(a.matrix4, s);
        return true;
    case eValueQuaternion:
        a.quaternion = a.quaternion * s;
        return true;
    default:
        return false;
    }
}

bool isVectorOrMatrix(int kind)
{
    return kind >= eValueVector2 && kind <= eValueMatrix4;
}

// An integer power; a negative exponent truncates toward zero as integer division does.
bool integerPower(int32_t base, int32_t exponent, int32_t& out)
{
    if (exponent < 0)
    {
        if (base == 0)
            return false;
        out = base == 1 ? 1 : base == -1 ? ((exponent & 1) ? -1 : 1) : 0;
        return true;
    }
    uint32_t result = 1;
    uint32_t factor = static_cast<uint32_t>(base);
    for (uint32_t e = static_cast<uint32_t>(exponent); e != 0; e >>= 1)
    {
        if (e & 1)
            result *= factor;
        factor *= factor;
    }
    out = static_cast<int32_t>(result);
    return true;
}

// Computes a op b into a; the text names why it failed.
bool combine(cOperatorResult& a, const cOperatorResult& b, char op, const char*& why)
{
    why = nullptr;
    if (a.kind == eValueNumber && b.kind == eValueNumber)
    {
        const int64_t x = a.number;
        const int64_t y = b.number;
        switch (op)
        {
        case '+':
            a.number = wrap(x + y);
            return true;
        case '-':
            a.number = wrap(x - y);
            return true;
        case '*':
            a.number = wrap(x * y);
            return true;
        case '/':
            if (y == 0)
            {
                why = "integer division by zero";
                return false;
            }
            a.number = wrap(x / y);
            return true;
        case '^':
            if (!integerPower(a.number, b.number, a.number))
            {
                why = "integer division by zero";
                return false;
            }
            return true;
        }
    }
    if (isScalar(a.kind) && isScalar(b.kind))
    {
        const float x = asReal(a);
        const float y = asReal(b);
        a.kind = eValueReal;
        switch (op)
        {
        case '+':
            a.real = x + y;
            return true;
        case '-':
            a.real = x - y;
            return true;
        case '*':
            a.real = x * y;
            return true;
        case '/':
            a.real = x / y;
            return true;
        case '^':
            a.real = std::pow(x, y);
            return true;
        }
    }
    if ((op == '+' || op == '-') && a.kind == b.kind &&
        (isVectorOrMatrix(a.kind) || a.kind == eValueQuaternion))
    {
        combineSame(a, b, op);
        return true;
    }
    if ((op == '*' || op == '/') && isVectorOrMatrix(a.kind) && isScalar(b.kind))
        return scale(a, op == '*' ? asReal(b) : 1.0f / asReal(b));
    if (op == '*' && isScalar(a.kind) && isVectorOrMatrix(b.kind))
    {
        const float s = asReal(a);
        a = b;
        return scale(a, s);
    }
    why = "operands do not fit";
    return false;
}

bool negate(cOperatorResult& a)
{
    switch (a.kind)
    {
    case eValueNumber:
        a.number = wrap(-static_cast<int64_t>(a.number));
        return true;
    case eValueReal:
        a.real = -a.real;
        return true;
    default:
        return scale(a, -1.0f);
    }
}

} // namespace

cComponentType& cExpressionOperator::staticType()
{
    static cComponentType type("Operator", &cExpression::staticType(),
                               [](const std::string&) -> cComponent*
                               { return new cExpressionOperator; });
    return type;
}

bool cExpressionOperator::evaluate(cOperatorResult& out, bool report) const
{
    if (!left_)
        return false;
    cOperatorResult right;
    if (!readOperand(left_.get(), out))
    {
        if (report && out.kind != eValueVoid && !dynamic_cast<cExpressionOperator*>(left_.get()))
            messagef("Shell: %s%c cannot take a %s operand\n", op_ == '~' ? "unary " : "",
                     op_ == '~' ? '-' : op_, kindName(out.kind));
        out.kind = eValueVoid;
        return false;
    }
    if (op_ == '~')
    {
        if (negate(out))
            return true;
        if (report)
            messagef("Shell: unary - cannot take a %s operand\n", kindName(out.kind));
        out.kind = eValueVoid;
        return false;
    }
    if (!right_ || !readOperand(right_.get(), right))
    {
        if (report && right_ && right.kind != eValueVoid &&
            !dynamic_cast<cExpressionOperator*>(right_.get()))
            messagef("Shell: %c cannot take a %s operand\n", op_, kindName(right.kind));
        out.kind = eValueVoid;
        return false;
    }
    const int leftKind = out.kind;
    const char* why = nullptr;
    if (combine(out, right, op_, why))
        return true;
    if (report)
        messagef("Shell: %s in %s %c %s\n", why, kindName(leftKind), op_, kindName(right.kind));
    out.kind = eValueVoid;
    return false;
}

int cExpressionOperator::kind() const
{
    cOperatorResult result;
    return evaluate(result, false) ? result.kind : eValueVoid;
}

#define QELT_OPERATOR_GETTER(NAME, TYPE, KIND, MEMBER)                                             \
    bool cExpressionOperator::NAME(TYPE& out) const                                                \
    {                                                                                              \
        cOperatorResult result;                                                                    \
        if (!evaluate(result, true) || result.kind != KIND)                                        \
            return false;                                                                          \
        out = result.MEMBER;                                                                       \
        return true;                                                                               \
    }

QELT_OPERATOR_GETTER(getInt, int32_t, eValueNumber, number)
QELT_OPERATOR_GETTER(getVector2, cVector2f, eValueVector2, vector2)
QELT_OPERATOR_GETTER(getVector3, cVector3f, eValueVector3, vector3)
QELT_OPERATOR_GETTER(getVector4, cVector4f, eValueVector4, vector4)
QELT_OPERATOR_GETTER(getMatrix2, cMatrix2f, eValueMatrix2, matrix2)
QELT_OPERATOR_GETTER(getMatrix3, cMatrix3f, eValueMatrix3, matrix3)
QELT_OPERATOR_GETTER(getMatrix4, cMatrix4f, eValueMatrix4, matrix4)
QELT_OPERATOR_GETTER(getQuaternion, cQuaternionf, eValueQuaternion, quaternion)

#undef QELT_OPERATOR_GETTER

// An integer result reads as a real too, as every integer value does.
bool cExpressionOperator::getFloat(float& out) const
{
    cOperatorResult result;
    if (!evaluate(result, true) || !isScalar(result.kind))
        return false;
    out = asReal(result);
    return true;
}

std::size_t cExpressionOperator::format(char* buffer, std::size_t length) const
{
    cOperatorResult result;
    if (evaluate(result, true))
        return cExpression::format(buffer, length);
    if (length == 0)
        return 0;
    const int written = std::snprintf(buffer, length, "%s", "<error>");
    return std::strlen(buffer) < static_cast<std::size_t>(written)
               ? std::strlen(buffer)
               : static_cast<std::size_t>(written);
}

cRef<cExpression> newOperator(char op, cExpression* left, cExpression* right)
{
    return new cExpressionOperator(op, left, right);
}

cRef<cExpression> newNegation(cExpression* operand)
{
    return new cExpressionOperator('~', operand, nullptr);
}

} // namespace qelt

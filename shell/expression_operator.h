// Operator expressions: the arithmetic of command texts ("+", "-", "*", "/", "^" and unary minus),
// computed each time the expression is read.
#pragma once

#include "core/component_type.h"
#include "core/expression.h"
#include "core/ref_count.h"

#include <string>

namespace qelt
{

// One computed result: its kind (0 when the operands did not fit) and the member of that kind.
struct cOperatorResult
{
    int kind = eValueVoid;
    int32_t number = 0;
    float real = 0.0f;
    cVector2f vector2{};
    cVector3f vector3{};
    cVector4f vector4{};
    cMatrix2f matrix2{};
    cMatrix3f matrix3{};
    cMatrix4f matrix4{};
    cQuaternionf quaternion{};
};

// A binary operator ('+', '-', '*', '/', '^') or unary minus ('~' with no right operand). The
// operands may be variables or fields, so the result is computed whenever it is read; operands
// that do not fit and integer division by zero fail the read with a message.
class cExpressionOperator final : public cExpression
{
  public:
    cExpressionOperator() = default;
    cExpressionOperator(char op, cExpression* left, cExpression* right)
        : op_(op), left_(left), right_(right)
    {
    }

    static cComponentType& staticType();
    const cComponentType& getType() const override { return staticType(); }

    // The kind the result has now; 0 when the operands do not fit.
    int kind() const override;
    bool isReadOnly() const override { return true; }

    bool getInt(int32_t& out) const override;
    bool getFloat(float& out) const override;
    bool getVector2(cVector2f& out) const override;
    bool getVector3(cVector3f& out) const override;
    bool getVector4(cVector4f& out) const override;
    bool getMatrix2(cMatrix2f& out) const override;
    bool getMatrix3(cMatrix3f& out) const override;
    bool getMatrix4(cMatrix4f& out) const override;
    bool getQuaternion(cQuaternionf& out) const override;
    // The result's text; "<error>" when it cannot be computed (the reason is reported).
    std::size_t format(char* buffer, std::size_t length) const override;

    // Computes the result; on failure reports why at the message level when report is set.
    bool evaluate(cOperatorResult& out, bool report) const;

    char op() const { return op_; }
    cExpression* left() const { return left_.get(); }
    cExpression* right() const { return right_.get(); }

  private:
    char op_ = '+';
    cRef<cExpression> left_;  // counted
    cRef<cExpression> right_; // counted; null for unary minus
};

cRef<cExpression> newOperator(char op, cExpression* left, cExpression* right);
cRef<cExpression> newNegation(cExpression* operand);

} // namespace qelt

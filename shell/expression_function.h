// Call expressions: a callee with its arguments, run through the callee's call.
#pragma once

#include "core/component_type.h"
#include "core/expression.h"
#include "core/ref_count.h"

#include <vector>

namespace qelt
{

// Kind 16. Running it calls the callee with a call record of this expression's arguments;
// reading it as a bool (or as an 8-bit integer) runs it and reads the result the callee left.
class cExpressionFunction final : public cExpression
{
  public:
    cExpressionFunction() = default;
    cExpressionFunction(cExpression* callee, std::vector<cRef<cExpression>> arguments)
        : callee_(callee), arguments_(std::move(arguments))
    {
    }

    static cComponentType& staticType();
    const cComponentType& getType() const override { return staticType(); }
    int kind() const override { return eValueCall; }

    // The callee's answer; false without a callee.
    bool execute() override;
    // The same, with the event's arguments following the explicit ones.
    bool executeWith(cEvent* event) override;
    bool getBool(bool& inout) const override;
    bool getChar(int8_t& out) const override;

    // The component body, the callee as an expression reference, then the argument count and one
    // expression reference per argument.
    void serialise(cStream& stream) override;

    cExpression* callee() const { return callee_.get(); }
    const std::vector<cRef<cExpression>>& arguments() const { return arguments_; }

  private:
    // Calls the callee; result receives what it left.
    bool run(cEvent* event, cRef<cExpression>* result) const;

    cRef<cExpression> callee_;                 // counted
    std::vector<cRef<cExpression>> arguments_; // counted
};

} // namespace qelt

// Block expressions: statements run in order until one fails.
#pragma once

#include "core/component_type.h"
#include "core/expression.h"
#include "core/ref_count.h"

#include <vector>

namespace qelt
{

// Kind 17. A missing (null) statement counts as an empty one.
class cExpressionBlock final : public cExpression
{
  public:
    cExpressionBlock() = default;
    explicit cExpressionBlock(std::vector<cRef<cExpression>> statements)
        : statements_(std::move(statements))
    {
    }

    static cComponentType& staticType();
    const cComponentType& getType() const override { return staticType(); }
    int kind() const override { return eValueBlock; }

    // Runs the statements in order and stops at the first that fails; true when all ran.
    bool execute() override;
    // The same, passing the event to each statement.
    bool executeWith(cEvent* event) override;

    // The component body, then the statement count and one expression reference each.
    void serialise(cStream& stream) override;

    const std::vector<cRef<cExpression>>& statements() const { return statements_; }

  private:
    std::vector<cRef<cExpression>> statements_; // counted
};

} // namespace qelt

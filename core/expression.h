// The expression base: a value that is also a component, so command trees can be named in shell
// groups, stored in fields and written to streams; and the shared void expression.
#pragma once

#include "core/component.h"
#include "core/value.h"

namespace qelt
{

// Expressions are counted; a tree lives as long as its root is referenced. The concrete classes
// (literals, calls, blocks, shell entries) live with the shell; this base sits below the fields
// and events that carry expressions.
class cExpression : public cValue, public cComponent
{
  public:
    cExpression() : cComponent("-") {}

    // "Expression", abstract, under "Component".
    static cComponentType& staticType();
    const cComponentType& getType() const override;
};

// Nothing: stands for missing arguments and empty command lines; running it succeeds.
class cExpressionVoid final : public cExpression
{
  public:
    cExpressionVoid() = default;

    static cComponentType& staticType();
    const cComponentType& getType() const override;

    int kind() const override { return eValueVoid; }
    bool execute() override { return true; }
    bool executeWith(cEvent*) override { return true; }
};

// The one shared void expression of this module, made on first use and kept until unload.
cExpressionVoid& voidExpression();

} // namespace qelt

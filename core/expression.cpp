// The expression base record, the void expression and its shared instance.
#include "core/expression.h"

#include "core/component_type.h"

namespace qelt
{
namespace
{

[[maybe_unused]] const cComponentType& registeredVoid = cExpressionVoid::staticType();

} // namespace

cComponentType& cExpression::staticType()
{
    static cComponentType type("Expression", &cComponent::staticType(), nullptr);
    return type;
}

const cComponentType& cExpression::getType() const
{
    return staticType();
}

cComponentType& cExpressionVoid::staticType()
{
    static cComponentType type("Void", &cExpression::staticType(),
                               [](const std::string&) -> cComponent*
                               { return new cExpressionVoid; });
    return type;
}

const cComponentType& cExpressionVoid::getType() const
{
    return staticType();
}

cExpressionVoid& voidExpression()
{
    // Held by a counted pointer for the life of the module, so callers may count it too.
    static const cRef<cExpressionVoid> shared(new cExpressionVoid);
    return *shared;
}

} // namespace qelt

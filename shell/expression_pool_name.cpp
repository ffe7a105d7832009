// The pool-name expression's type record.
#include "shell/expression_pool_name.h"

namespace qelt
{
namespace
{

[[maybe_unused]] const cComponentType& registered = cExpressionPoolName::staticType();

} // namespace

cComponentType& cExpressionPoolName::staticType()
{
    static cComponentType type("PoolName", &cExpression::staticType(),
                               [](const std::string&) -> cComponent*
                               { return new cExpressionPoolName; });
    return type;
}

} // namespace qelt

// The pool-name expression's type record and stream body.
#include "shell/expression_pool_name.h"

#include "core/stream.h"

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

void cExpressionPoolName::serialise(cStream& stream)
{
    cExpression::serialise(stream);
    stream.io(pool_).io(name_);
}

} // namespace qelt

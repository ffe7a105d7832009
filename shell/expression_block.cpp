// Running block expressions.
#include "shell/expression_block.h"

namespace qelt
{
namespace
{

[[maybe_unused]] const cComponentType& registered = cExpressionBlock::staticType();

} // namespace

cComponentType& cExpressionBlock::staticType()
{
    static cComponentType type("Block", &cExpression::staticType(),
                               [](const std::string&) -> cComponent*
                               { return new cExpressionBlock; });
    return type;
}

bool cExpressionBlock::execute()
{
    // Each statement is held while it runs, in case it changes this block.
    for (std::size_t i = 0; i < statements_.size(); ++i)
    {
        const cRef<cExpression> statement = statements_[i];
        if (statement && !statement->execute())
            return false;
    }
    return true;
}

bool cExpressionBlock::executeWith(cEvent* event)
{
    for (std::size_t i = 0; i < statements_.size(); ++i)
    {
        const cRef<cExpression> statement = statements_[i];
        if (statement && !statement->executeWith(event))
            return false;
    }
    return true;
}

} // namespace qelt

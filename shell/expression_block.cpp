// Running block expressions.
#include "shell/expression_block.h"

#include "core/stream.h"

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

// Statements are read as they arrive, so a damaged count reserves nothing.
void cExpressionBlock::serialise(cStream& stream)
{
    cExpression::serialise(stream);
    if (!stream.isLoading())
    {
        stream.writeCount(static_cast<uint32_t>(statements_.size()));
        for (const cRef<cExpression>& statement : statements_)
            stream.writeExpression(statement.get());
        stream.endList();
        return;
    }
    std::vector<cRef<cExpression>> statements;
    for (uint32_t n = stream.readCount(); n > 0 && !stream.failed(); --n)
        statements.emplace_back(stream.readExpression(nullptr));
    stream.endList();
    statements_ = std::move(statements);
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

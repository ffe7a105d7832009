// Running call expressions.
#include "shell/expression_function.h"

#include "shell/shell_call.h"

#include "core/stream.h"

namespace qelt
{
namespace
{

[[maybe_unused]] const cComponentType& registered = cExpressionFunction::staticType();

} // namespace

cComponentType& cExpressionFunction::staticType()
{
    static cComponentType type("Function", &cExpression::staticType(),
                               [](const std::string&) -> cComponent*
                               { return new cExpressionFunction; });
    return type;
}

// Arguments are read as they arrive, so a damaged count reserves nothing.
void cExpressionFunction::serialise(cStream& stream)
{
    cExpression::serialise(stream);
    if (!stream.isLoading())
    {
        stream.writeExpression(callee_.get());
        stream.writeCount(static_cast<uint32_t>(arguments_.size()));
        for (const cRef<cExpression>& argument : arguments_)
            stream.writeExpression(argument.get());
        stream.endList();
        return;
    }
    callee_ = stream.readExpression(callee_.get());
    std::vector<cRef<cExpression>> arguments;
    for (uint32_t n = stream.readCount(); n > 0 && !stream.failed(); --n)
        arguments.emplace_back(stream.readExpression(nullptr));
    stream.endList();
    arguments_ = std::move(arguments);
}

// The result the callee leaves goes to result when asked for, otherwise it is released with the
// record.
bool cExpressionFunction::run(cEvent* event, cRef<cExpression>* result) const
{
    if (!callee_)
        return false;
    cShellCall record(callee_.get(), arguments_, event);
    const bool ran = callee_->call(record);
    if (result)
        *result = std::move(record.result());
    return ran;
}

bool cExpressionFunction::execute()
{
    return run(nullptr, nullptr);
}

bool cExpressionFunction::executeWith(cEvent* event)
{
    return run(event, nullptr);
}

bool cExpressionFunction::getBool(bool& inout) const
{
    cRef<cExpression> result;
    return run(nullptr, &result) && result && result->getBool(inout);
}

bool cExpressionFunction::getChar(int8_t& out) const
{
    cRef<cExpression> result;
    return run(nullptr, &result) && result && result->getChar(out);
}

} // namespace qelt

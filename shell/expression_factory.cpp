// Making expressions from values, components and parts.
#include "shell/expression_factory.h"

#include "shell/expression_block.h"
#include "shell/expression_function.h"
#include "shell/expression_holder.h"
#include "shell/expression_pool_name.h"

namespace qelt
{
namespace
{

template <typename T, int Kind, typename Get> cRef<cExpression> held(const cValue& value, Get get)
{
    T v{};
    if (!(value.*get)(v))
        return nullptr;
    return new cExpressionHolder<T, Kind>(v);
}

} // namespace

cRef<cExpression> newVoidExpression()
{
    return new cExpressionVoid;
}

cRef<cExpression> newHolder(const cValue& value)
{
    switch (value.kind())
    {
    case eValueVoid:
        return newVoidExpression();
    case eValueBool:
        return held<bool, eValueBool>(value, &cValue::getBool);
    case eValueNumber:
        return held<int32_t, eValueNumber>(value, &cValue::getInt);
    case eValueReal:
        return held<float, eValueReal>(value, &cValue::getFloat);
    case eValueString:
        return held<std::string, eValueString>(value, &cValue::getString);
    case eValueIdentifier:
        return held<std::string, eValueIdentifier>(value, &cValue::getString);
    case eValueVector2:
        return held<cVector2f, eValueVector2>(value, &cValue::getVector2);
    case eValueVector3:
        return held<cVector3f, eValueVector3>(value, &cValue::getVector3);
    case eValueVector4:
        return held<cVector4f, eValueVector4>(value, &cValue::getVector4);
    case eValueMatrix2:
        return held<cMatrix2f, eValueMatrix2>(value, &cValue::getMatrix2);
    case eValueMatrix3:
        return held<cMatrix3f, eValueMatrix3>(value, &cValue::getMatrix3);
    case eValueMatrix4:
        return held<cMatrix4f, eValueMatrix4>(value, &cValue::getMatrix4);
    case eValueQuaternion:
        return held<cQuaternionf, eValueQuaternion>(value, &cValue::getQuaternion);
    case eValueShellName:
        return held<cShellName*, eValueShellName>(value, &cValue::getShellName);
    case eValueComponent:
    {
        cComponent* component = nullptr;
        if (!value.getComponent(component))
            return nullptr;
        return newRefHolder(component);
    }
    case eValueExpression:
    {
        cExpression* expression = nullptr;
        if (!value.getExpression(expression))
            return nullptr;
        return expression;
    }
    case eValueCall:
    case eValueBlock:
    case eValueGroup:
        return const_cast<cExpression*>(dynamic_cast<const cExpression*>(&value));
    default:
        return nullptr;
    }
}

cRef<cExpression> newRefHolder(cComponent* component)
{
    return new cExpressionRefHolder(component);
}

cRef<cExpression> newCall(cExpression* callee, std::vector<cRef<cExpression>> arguments)
{
    return new cExpressionFunction(callee, std::move(arguments));
}

cRef<cExpression> newBlock(std::vector<cRef<cExpression>> statements)
{
    return new cExpressionBlock(std::move(statements));
}

cRef<cExpression> newPoolName(std::string pool, std::string name)
{
    return new cExpressionPoolName(std::move(pool), std::move(name));
}

} // namespace qelt

// The literal holders: their registered names, one compiled copy of each, and the reference
// holder's printed form.
#include "shell/expression_holder.h"

#include <cstdio>
#include <cstring>

namespace qelt
{

const char* holderTypeName(int kind)
{
    switch (kind)
    {
    case eValueBool:
        return "Holder<bool, eValueBool>";
    case eValueNumber:
        return "Holder<int, eValueNumber>";
    case eValueReal:
        return "Holder<float, eValueReal>";
    case eValueString:
        return "Holder<std::string, eValueString>";
    case eValueIdentifier:
        return "Holder<std::string, eValueIdentifier>";
    case eValueVector2:
        return "Holder<cVector2f, eValueVector2>";
    case eValueVector3:
        return "Holder<cVector3f, eValueVector3>";
    case eValueVector4:
        return "Holder<cVector4f, eValueVector4>";
    case eValueMatrix2:
        return "Holder<cMatrix2f, eValueMatrix2>";
    case eValueMatrix3:
        return "Holder<cMatrix3f, eValueMatrix3>";
    case eValueMatrix4:
        return "Holder<cMatrix4f, eValueMatrix4>";
    case eValueQuaternion:
        return "Holder<cQuaternionf, eValueQuaternion>";
    case eValueShellName:
        return "Holder<cShellName*, eValueShellName>";
    default:
        return nullptr;
    }
}

template class cExpressionHolder<bool, eValueBool>;
template class cExpressionHolder<int32_t, eValueNumber>;
template class cExpressionHolder<float, eValueReal>;
template class cExpressionHolder<std::string, eValueString>;
template class cExpressionHolder<std::string, eValueIdentifier>;
template class cExpressionHolder<cVector2f, eValueVector2>;
template class cExpressionHolder<cVector3f, eValueVector3>;
template class cExpressionHolder<cVector4f, eValueVector4>;
template class cExpressionHolder<cMatrix2f, eValueMatrix2>;
template class cExpressionHolder<cMatrix3f, eValueMatrix3>;
template class cExpressionHolder<cMatrix4f, eValueMatrix4>;
template class cExpressionHolder<cQuaternionf, eValueQuaternion>;
template class cExpressionHolder<cShellName*, eValueShellName>;

cComponentType& cExpressionRefHolder::staticType()
{
    static cComponentType type("RefHolder<cComponent, eValueComponent>", &cExpression::staticType(),
                               [](const std::string&) -> cComponent*
                               { return new cExpressionRefHolder; });
    return type;
}

void cExpressionRefHolder::serialise(cStream& stream)
{
    cExpression::serialise(stream);
    ioComponent(stream, component_);
}

std::size_t cExpressionRefHolder::format(char* buffer, std::size_t length) const
{
    std::size_t used = cValue::format(buffer, length);
    if (component_ && used + 1 < length)
    {
        const int added = std::snprintf(buffer + used, length - used, "(%d Refs)",
                                        static_cast<int>(component_->refCount()));
        used = std::min(length - 1, used + static_cast<std::size_t>(std::max(added, 0)));
    }
    return used;
}

namespace
{

// Registers the holders when the module loads, in the order of their kinds.
[[maybe_unused]] const bool registered = []
{
    cExpressionHolder<bool, eValueBool>::staticType();
    cExpressionHolder<int32_t, eValueNumber>::staticType();
    cExpressionHolder<float, eValueReal>::staticType();
    cExpressionHolder<std::string, eValueString>::staticType();
    cExpressionHolder<std::string, eValueIdentifier>::staticType();
    cExpressionHolder<cVector2f, eValueVector2>::staticType();
    cExpressionHolder<cVector3f, eValueVector3>::staticType();
    cExpressionHolder<cVector4f, eValueVector4>::staticType();
    cExpressionHolder<cMatrix2f, eValueMatrix2>::staticType();
    cExpressionHolder<cMatrix3f, eValueMatrix3>::staticType();
    cExpressionHolder<cMatrix4f, eValueMatrix4>::staticType();
    cExpressionHolder<cQuaternionf, eValueQuaternion>::staticType();
    cExpressionHolder<cShellName*, eValueShellName>::staticType();
    cExpressionRefHolder::staticType();
    return true;
}();

} // namespace

} // namespace qelt

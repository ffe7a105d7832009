// Components for the stream tests, fuzz target and benchmark, and the growable memory file.
#include "tests/core/stream_probe.h"

#include "core/component_type.h"
#include "core/field.h"

#include <algorithm>
#include <cstring>

namespace qelt::testing
{
namespace
{

const cFieldDescriptionMember<cStreamProbe, int32_t> numberField("number", &cStreamProbe::number);

} // namespace

cComponentType& cStreamProbe::staticType()
{
    static cComponentType type("StreamProbe", &cComponent::staticType(),
                               &createComponentOf<cStreamProbe>, {&numberField});
    return type;
}

// Every item once, then a container of references and each kind of reference.
void cStreamProbe::serialise(cStream& stream)
{
    cComponent::serialise(stream);
    stream.io(quaternion).io(colour).io(box).io(matrix4).io(matrix3).io(matrix2);
    stream.io(vector4).io(vector3).io(vector2).io(real).io(unsigned32).io(number);
    stream.io(unsigned16).io(signed16).io(unsigned8).io(signed8).io(flag).io(text);

    if (stream.isLoading())
    {
        children.clear();
        for (uint32_t n = stream.readCount(); n > 0 && !stream.failed(); --n)
            children.emplace_back(stream.readComponent(nullptr));
    }
    else
    {
        stream.writeCount(static_cast<uint32_t>(children.size()));
        for (const cRef<cComponent>& child : children)
            stream.writeComponent(child.get());
    }
    stream.endList();

    ioComponent(stream, other);
    if (stream.isLoading())
    {
        expression = stream.readExpression(expression.get());
        shellName = stream.readShellName();
        field = stream.readFieldValue();
    }
    else
    {
        stream.writeExpression(expression.get());
        stream.writeShellName(shellName);
        stream.writeFieldValue(field.get());
    }
}

cComponentType& cStreamLeaf::staticType()
{
    static cComponentType type("StreamLeaf", &cComponent::staticType(),
                               &createComponentOf<cStreamLeaf>);
    return type;
}

cComponentType& cStreamNumber::staticType()
{
    static cComponentType type("StreamNumber", &cExpression::staticType(),
                               [](const std::string&) -> cComponent* { return new cStreamNumber; });
    return type;
}

void cStreamNumber::serialise(cStream& stream)
{
    cComponent::serialise(stream);
    stream.io(value);
}

void registerStreamProbes()
{
    cStreamProbe::staticType();
    cStreamLeaf::staticType();
    cStreamNumber::staticType();
}

} // namespace qelt::testing

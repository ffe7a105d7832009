// The test component classes and their fields.
#include "tests/core/shapes.h"

#include "core/field.h"

namespace qelt::testing
{
namespace
{

const cFieldDescriptionMember<cShape, int32_t> sidesField("sides", &cShape::sides);
const cFieldDescriptionMethod<cShape, float> sizeField("size", &cShape::setSize, &cShape::size);
const cFieldDescriptionROMethod<cShape, float> areaField("area", &cShape::area);
const cFieldDescriptionRefMethod<cShape, cMatrix4f>
    transformField("transform", &cShape::getTransform, &cShape::setTransform);
const cFieldDescriptionMember<cShape, cColouri> colourField("colour", &cShape::colour);
const cFieldDescriptionMember<cShape, bool> filledField("filled", &cShape::filled);
const cFieldDescriptionMember<cShape, cComponent*> partnerField("partner", &cShape::partner);
const cFieldDescriptionMember<cShape, cShape*> nextField("next", &cShape::next);
const cFieldDescriptionMethod<cShape, cExpression*> actionField("action", &cShape::setAction,
                                                                &cShape::action);

const cFieldDescriptionMember<cSquare, int32_t> ownSidesField("sides", &cSquare::ownSides);
const cFieldDescriptionMember<cSquare, bool> cornerField("corner", &cSquare::corner);

[[maybe_unused]] const bool registered = []
{
    cSquare::staticType();
    cOutline::staticType();
    brokenType();
    return true;
}();

} // namespace

cComponentType& cShape::staticType()
{
    static cComponentType type("Shape", &cComponent::staticType(), &createComponentOf<cShape>,
                               {&sidesField, &sizeField, &areaField, &transformField, &colourField,
                                &filledField, &partnerField, &nextField, &actionField});
    return type;
}

cComponentType& cSquare::staticType()
{
    static cComponentType type("Square", &cShape::staticType(), &createComponentOf<cSquare>,
                               {&ownSidesField, &cornerField});
    return type;
}

cComponentType& cOutline::staticType()
{
    static cComponentType type("Outline", &cShape::staticType(), nullptr);
    return type;
}

cComponentType& brokenType()
{
    static cComponentType type("Broken", &cComponent::staticType(),
                               [](const std::string&) -> cComponent* { return nullptr; });
    return type;
}

} // namespace qelt::testing

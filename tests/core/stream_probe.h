// Components for the stream tests, fuzz target and benchmark: a probe whose body holds one item of
// every kind and each kind of reference, a leaf with only the component body, a small expression,
// and a growable memory file to write streams into.
#pragma once

#include "core/component.h"
#include "core/expression.h"
#include "core/field_value.h"
#include "core/file.h"
#include "core/stream.h"
#include "tests/support/file_buffer.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qelt::testing
{

// "Component.StreamProbe", field "number".
class cStreamProbe : public cComponent
{
  public:
    explicit cStreamProbe(const std::string& name = {}) : cComponent(name) {}
    static cComponentType& staticType();
    const cComponentType& getType() const override { return staticType(); }
    void serialise(cStream& stream) override;

    cQuaternionf quaternion;
    cColouri colour;
    cBox3f box;
    cMatrix4f matrix4;
    cMatrix3f matrix3;
    cMatrix2f matrix2;
    cVector4f vector4;
    cVector3f vector3;
    cVector2f vector2;
    float real = 0;
    uint32_t unsigned32 = 0;
    int32_t number = 0;
    uint16_t unsigned16 = 0;
    int16_t signed16 = 0;
    uint8_t unsigned8 = 0;
    int8_t signed8 = 0;
    bool flag = false;
    std::string text;
    std::vector<cRef<cComponent>> children; // counted
    cRef<cComponent> other;                 // counted
    cRef<cExpression> expression;           // counted
    cShellName* shellName = nullptr;        // not owned
    std::unique_ptr<cFieldValue> field;     // a field of a component the test keeps alive
};

// "Component.StreamLeaf": the component body and nothing else.
class cStreamLeaf : public cComponent
{
  public:
    explicit cStreamLeaf(const std::string& name = {}) : cComponent(name) {}
    static cComponentType& staticType();
    const cComponentType& getType() const override { return staticType(); }
};

// "Component.Expression.StreamNumber": an int expression whose body adds the int.
class cStreamNumber : public cExpression
{
  public:
    static cComponentType& staticType();
    const cComponentType& getType() const override { return staticType(); }
    int kind() const override { return eValueNumber; }
    bool getInt(int32_t& out) const override
    {
        out = value;
        return true;
    }
    void serialise(cStream& stream) override;

    int32_t value = 0;
};

// Registers the three types above (their records are made on first use).
void registerStreamProbes();

} // namespace qelt::testing

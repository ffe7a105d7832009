// Component classes for the component, type and field tests: a shape with a field of each family
// and representation, a square whose own "sides" field is hidden by the inherited one, an
// abstract outline and a type whose create function fails.
#pragma once

#include "core/component.h"
#include "core/component_type.h"
#include "core/expression.h"
#include "core/math.h"

#include <string>

namespace qelt::testing
{

class cShape : public cComponent
{
  public:
    explicit cShape(const std::string& name = {}) : cComponent(name) {}

    // "Component.Shape"
    static cComponentType& staticType();
    const cComponentType& getType() const override { return staticType(); }

    // "size" never goes below 0.
    void setSize(float size) { size_ = size < 0 ? 0 : size; }
    float size() const { return size_; }
    // "area" is read-only.
    float area() const { return size_ * size_; }
    // "transform" passes by reference.
    void getTransform(cMatrix4f& out) const { out = transform_; }
    void setTransform(const cMatrix4f& m) { transform_ = m; }
    // "action" holds its expression counted.
    void setAction(cExpression* action) { action_ = action; }
    cExpression* action() const { return action_.get(); }

    int32_t sides = 3;
    cColouri colour;
    bool filled = false;
    cComponent* partner = nullptr;
    cShape* next = nullptr;

  private:
    float size_ = 1;
    cMatrix4f transform_ = cMatrix4f::identity();
    cRef<cExpression> action_;
};

class cSquare final : public cShape
{
  public:
    explicit cSquare(const std::string& name = {}) : cShape(name) {}

    // "Component.Shape.Square", with own fields "sides" (hidden) and "corner".
    static cComponentType& staticType();
    const cComponentType& getType() const override { return staticType(); }

    int32_t ownSides = 4;
    bool corner = false;
};

// Abstract: "Component.Shape.Outline" has no create function.
class cOutline : public cShape
{
  public:
    static cComponentType& staticType();
    const cComponentType& getType() const override { return staticType(); }
};

// "Component.Broken": its create function gives nothing.
cComponentType& brokenType();

} // namespace qelt::testing

// Pool-name expressions: a name within a named pool, read as its name.
#pragma once

#include "core/component_type.h"
#include "core/expression.h"

#include <string>

namespace qelt
{

// Kind 4: reads as the text of its name; the pool name says where the name belongs.
class cExpressionPoolName final : public cExpression
{
  public:
    cExpressionPoolName() = default;
    cExpressionPoolName(std::string pool, std::string name)
        : pool_(std::move(pool)), name_(std::move(name))
    {
    }

    static cComponentType& staticType();
    const cComponentType& getType() const override { return staticType(); }
    int kind() const override { return eValueString; }
    bool isReadOnly() const override { return true; }
    bool getCString(const char*& out) const override
    {
        out = name_.c_str();
        return true;
    }

    // The component body, the pool name, then the name.
    void serialise(cStream& stream) override;

    const std::string& pool() const { return pool_; }
    const std::string& entryName() const { return name_; }

  private:
    std::string pool_;
    std::string name_;
};

} // namespace qelt

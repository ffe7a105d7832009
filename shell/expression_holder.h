// Literal expressions: holders of one constant value of each kind, and the holder of a counted
// component.
#pragma once

#include "core/component_type.h"
#include "core/expression.h"
#include "core/stream.h"
#include "core/value_typed.h"

#include <string>

namespace qelt
{

// The registered name of the holder of a kind ("Holder<bool, eValueBool>"); null for a kind
// without a holder.
const char* holderTypeName(int kind);

// A held constant through a stream: its item, and a shell name as its path.
template <typename T> void ioHeld(cStream& stream, T& value)
{
    stream.io(value);
}
inline void ioHeld(cStream& stream, cShellName*& value)
{
    if (stream.isLoading())
        value = stream.readShellName();
    else
        stream.writeShellName(value);
}

// A constant T reported as kind Kind. Literals are constants: every setter refuses.
template <typename T, int Kind> class cExpressionHolder final : public cValueTyped<T, cExpression>
{
  public:
    cExpressionHolder() = default;
    explicit cExpressionHolder(const T& value) : value_(value) {}

    static cComponentType& staticType();
    const cComponentType& getType() const override { return staticType(); }
    int kind() const override { return Kind; }
    bool isReadOnly() const override { return true; }
    const T& value() const { return value_; }
    // The component body, then the T item.
    void serialise(cStream& stream) override
    {
        cExpression::serialise(stream);
        ioHeld(stream, value_);
    }

  protected:
    bool read(T& out) const override
    {
        out = value_;
        return true;
    }
    bool write(const T&) override { return false; }

  private:
    T value_{};
};

// A constant text, as a string (kind 4) or an identifier (kind 5).
template <int Kind> class cExpressionHolder<std::string, Kind> final : public cExpression
{
  public:
    cExpressionHolder() = default;
    explicit cExpressionHolder(std::string value) : value_(std::move(value)) {}

    static cComponentType& staticType();
    const cComponentType& getType() const override { return staticType(); }
    int kind() const override { return Kind; }
    bool isReadOnly() const override { return true; }
    bool getCString(const char*& out) const override
    {
        out = value_.c_str();
        return true;
    }
    const std::string& value() const { return value_; }
    // The component body, then the text.
    void serialise(cStream& stream) override
    {
        cExpression::serialise(stream);
        stream.io(value_);
    }

  private:
    std::string value_;
};

template <typename T, int Kind> cComponentType& cExpressionHolder<T, Kind>::staticType()
{
    static cComponentType type(holderTypeName(Kind), &cExpression::staticType(),
                               [](const std::string&) -> cComponent*
                               { return new cExpressionHolder<T, Kind>; });
    return type;
}

template <int Kind> cComponentType& cExpressionHolder<std::string, Kind>::staticType()
{
    static cComponentType type(holderTypeName(Kind), &cExpression::staticType(),
                               [](const std::string&) -> cComponent*
                               { return new cExpressionHolder<std::string, Kind>; });
    return type;
}

// The holders there are; each is compiled once, in expression_holder.cpp.
extern template class cExpressionHolder<bool, eValueBool>;
extern template class cExpressionHolder<int32_t, eValueNumber>;
extern template class cExpressionHolder<float, eValueReal>;
extern template class cExpressionHolder<std::string, eValueString>;
extern template class cExpressionHolder<std::string, eValueIdentifier>;
extern template class cExpressionHolder<cVector2f, eValueVector2>;
extern template class cExpressionHolder<cVector3f, eValueVector3>;
extern template class cExpressionHolder<cVector4f, eValueVector4>;
extern template class cExpressionHolder<cMatrix2f, eValueMatrix2>;
extern template class cExpressionHolder<cMatrix3f, eValueMatrix3>;
extern template class cExpressionHolder<cMatrix4f, eValueMatrix4>;
extern template class cExpressionHolder<cQuaternionf, eValueQuaternion>;
extern template class cExpressionHolder<cShellName*, eValueShellName>;

// A counted component (kind 14); printed as its name followed by "(%d Refs)".
class cExpressionRefHolder final : public cValueTyped<cComponent*, cExpression>
{
  public:
    cExpressionRefHolder() = default;
    explicit cExpressionRefHolder(cComponent* component) : component_(component) {}

    static cComponentType& staticType();
    const cComponentType& getType() const override { return staticType(); }
    bool isReadOnly() const override { return true; }
    std::size_t format(char* buffer, std::size_t length) const override;
    // The component body, then the component reference.
    void serialise(cStream& stream) override;

  protected:
    bool read(cComponent*& out) const override
    {
        out = component_.get();
        return true;
    }
    bool write(cComponent* const&) override { return false; }

  private:
    cRef<cComponent> component_; // counted
};

} // namespace qelt

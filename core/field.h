// Field descriptions: one static record per named field of a component class, saying how to get
// and set it; the four families reach a data member, a setter/getter pair, a getter alone, or a
// getter and setter that pass by reference.
#pragma once

#include "core/field_value.h"

#include <memory>
#include <string>
#include <string_view>

namespace qelt
{

// Descriptions are static and never change; a class lists its own in its cComponentType.
class cFieldDescription
{
  public:
    constexpr explicit cFieldDescription(const char* name) : name_(name) {}
    virtual ~cFieldDescription() = default;

    // The name scripts use ("transform", "fogColour").
    const char* name() const { return name_.data(); }
    // The same with its length, for fast comparisons.
    std::string_view nameView() const { return name_; }
    void getName(std::string& out) const { out = name_; }

    // ---- the description interface -------------------------------------------------------------
    // A new value bound to owner that does not count it.
    virtual std::unique_ptr<cFieldValue> newValue(cComponent& owner) const = 0;
    // A new value bound to owner that holds a counted pointer to it.
    virtual std::unique_ptr<cFieldValue> newRefValue(cComponent& owner) const = 0;
    // True when setting is always refused.
    virtual bool isReadOnly() const { return false; }

  private:
    std::string_view name_; // a terminated static text
};

// A description of a field of type T. owner is always of the class that declared the field,
// because descriptions are only reached through that class's type record.
template <typename T> class cFieldDescriptionTyped : public cFieldDescription
{
  public:
    using cFieldDescription::cFieldDescription;
    virtual bool get(const cComponent& owner, T& out) const = 0;
    virtual bool set(cComponent& owner, const T& value) const = 0;
};

// A data member of C, read and written directly.
template <class C, typename T>
class cFieldDescriptionMember final : public cFieldDescriptionTyped<T>
{
  public:
    constexpr cFieldDescriptionMember(const char* name, T C::*member)
        : cFieldDescriptionTyped<T>(name), member_(member)
    {
    }
    bool get(const cComponent& owner, T& out) const override
    {
        out = static_cast<const C&>(owner).*member_;
        return true;
    }
    bool set(cComponent& owner, const T& value) const override
    {
        static_cast<C&>(owner).*member_ = value;
        return true;
    }
    std::unique_ptr<cFieldValue> newValue(cComponent& owner) const override
    {
        return std::make_unique<cFieldValueMember<C, T>>(owner, *this);
    }
    std::unique_ptr<cFieldValue> newRefValue(cComponent& owner) const override
    {
        return std::make_unique<cFieldRefValueMember<C, T>>(owner, *this);
    }

  private:
    T C::*member_;
};

// A setter taking T by value and a getter returning it.
template <class C, typename T>
class cFieldDescriptionMethod final : public cFieldDescriptionTyped<T>
{
  public:
    using Setter = void (C::*)(T);
    using Getter = T (C::*)() const;
    constexpr cFieldDescriptionMethod(const char* name, Setter setter, Getter getter)
        : cFieldDescriptionTyped<T>(name), setter_(setter), getter_(getter)
    {
    }
    bool get(const cComponent& owner, T& out) const override
    {
        out = (static_cast<const C&>(owner).*getter_)();
        return true;
    }
    bool set(cComponent& owner, const T& value) const override
    {
        (static_cast<C&>(owner).*setter_)(value);
        return true;
    }
    std::unique_ptr<cFieldValue> newValue(cComponent& owner) const override
    {
        return std::make_unique<cFieldValueMethod<C, T>>(owner, *this);
    }
    std::unique_ptr<cFieldValue> newRefValue(cComponent& owner) const override
    {
        return std::make_unique<cFieldRefValueMethod<C, T>>(owner, *this);
    }

  private:
    Setter setter_;
    Getter getter_;
};

// A getter alone: the field is read-only and every set is refused.
template <class C, typename T>
class cFieldDescriptionROMethod final : public cFieldDescriptionTyped<T>
{
  public:
    using Getter = T (C::*)() const;
    constexpr cFieldDescriptionROMethod(const char* name, Getter getter)
        : cFieldDescriptionTyped<T>(name), getter_(getter)
    {
    }
    bool get(const cComponent& owner, T& out) const override
    {
        out = (static_cast<const C&>(owner).*getter_)();
        return true;
    }
    bool set(cComponent&, const T&) const override { return false; }
    bool isReadOnly() const override { return true; }
    std::unique_ptr<cFieldValue> newValue(cComponent& owner) const override
    {
        return std::make_unique<cFieldValueROMethod<C, T>>(owner, *this);
    }
    std::unique_ptr<cFieldValue> newRefValue(cComponent& owner) const override
    {
        return std::make_unique<cFieldRefValueROMethod<C, T>>(owner, *this);
    }

  private:
    Getter getter_;
};

// A getter that fills the caller's variable and a setter taking a const reference, for large T.
template <class C, typename T>
class cFieldDescriptionRefMethod final : public cFieldDescriptionTyped<T>
{
  public:
    using Getter = void (C::*)(T& out) const;
    using Setter = void (C::*)(const T&);
    constexpr cFieldDescriptionRefMethod(const char* name, Getter getter, Setter setter)
        : cFieldDescriptionTyped<T>(name), getter_(getter), setter_(setter)
    {
    }
    bool get(const cComponent& owner, T& out) const override
    {
        (static_cast<const C&>(owner).*getter_)(out);
        return true;
    }
    bool set(cComponent& owner, const T& value) const override
    {
        (static_cast<C&>(owner).*setter_)(value);
        return true;
    }
    std::unique_ptr<cFieldValue> newValue(cComponent& owner) const override
    {
        return std::make_unique<cFieldValueRefMethod<C, T>>(owner, *this);
    }
    std::unique_ptr<cFieldValue> newRefValue(cComponent& owner) const override
    {
        return std::make_unique<cFieldRefValueRefMethod<C, T>>(owner, *this);
    }

  private:
    Getter getter_;
    Setter setter_;
};

} // namespace qelt

// cValueTyped: gives a value class the kind, getter and setter of one representation T, so typed
// values (fields, holders, shell variables) only say how to read and write their T.
#pragma once

#include "core/component.h"
#include "core/value.h"

#include <concepts>
#include <type_traits>

namespace qelt
{

// cValueTyped<T, Base> derives from Base (cValue or one of its subclasses), reports the kind of
// T and overrides exactly the getter and setter of T, which call read and write. Every other
// getter and setter keeps the cValue default.
template <typename T, typename Base> class cValueTyped;

#define QELT_VALUE_TYPED(T, ARG, KIND, GETTER, SETTER)                                             \
    template <typename Base> class cValueTyped<T, Base> : public Base                              \
    {                                                                                              \
      public:                                                                                      \
        using Base::Base;                                                                          \
        int kind() const override { return KIND; }                                                 \
        bool GETTER(T& out) const override { return read(out); }                                   \
        bool SETTER(ARG value) override { return write(value); }                                   \
                                                                                                   \
      protected:                                                                                   \
        virtual bool read(T& out) const = 0;                                                       \
        virtual bool write(T const& value) = 0;                                                    \
    };

QELT_VALUE_TYPED(bool, bool, eValueBool, getBool, setBool)
QELT_VALUE_TYPED(int32_t, int32_t, eValueNumber, getInt, setInt)
QELT_VALUE_TYPED(float, float, eValueReal, getFloat, setFloat)
QELT_VALUE_TYPED(cVector2f, const cVector2f&, eValueVector2, getVector2, setVector2)
QELT_VALUE_TYPED(cVector3f, const cVector3f&, eValueVector3, getVector3, setVector3)
QELT_VALUE_TYPED(cVector4f, const cVector4f&, eValueVector4, getVector4, setVector4)
QELT_VALUE_TYPED(cMatrix2f, const cMatrix2f&, eValueMatrix2, getMatrix2, setMatrix2)
QELT_VALUE_TYPED(cMatrix3f, const cMatrix3f&, eValueMatrix3, getMatrix3, setMatrix3)
QELT_VALUE_TYPED(cMatrix4f, const cMatrix4f&, eValueMatrix4, getMatrix4, setMatrix4)
QELT_VALUE_TYPED(cQuaternionf, const cQuaternionf&, eValueQuaternion, getQuaternion, setQuaternion)
QELT_VALUE_TYPED(cColouri, cColouri, eValueColour, getColour, setColour)
QELT_VALUE_TYPED(cShellName*, cShellName*, eValueShellName, getShellName, setShellName)
QELT_VALUE_TYPED(cExpression*, cExpression*, eValueExpression, getExpression, setExpression)

#undef QELT_VALUE_TYPED

// A pointer to a component class (cComponent itself, or a subclass such as a segment): kind 14.
// Setting a component of another class is refused; null is accepted.
template <typename D, typename Base>
requires(!std::is_same_v<D, cShellName> && !std::is_same_v<D, cExpression> &&
         std::derived_from<D, cComponent>) class cValueTyped<D*, Base> : public Base
{
  public:
    using Base::Base;
    int kind() const override { return eValueComponent; }
    bool getComponent(cComponent*& out) const override
    {
        D* object = nullptr;
        if (!read(object))
            return false;
        out = object;
        return true;
    }
    bool setComponent(cComponent* value) override
    {
        D* object = dynamic_cast<D*>(value);
        if (value != nullptr && object == nullptr)
            return false;
        return write(object);
    }

  protected:
    virtual bool read(D*& out) const = 0;
    virtual bool write(D* const& value) = 0;
};

} // namespace qelt

// Field values: the cValue through which the shell and the stream loader read and write one named
// field of one component.
#pragma once

#include "core/component.h"
#include "core/ref_count.h"
#include "core/value_typed.h"

namespace qelt
{

class cFieldDescription;
template <typename T> class cFieldDescriptionTyped;

// A field value holds its component and its field's description.
class cFieldValue : public cValue
{
  public:
    // ---- what a field value adds to cValue -----------------------------------------------------
    virtual const cFieldDescription& description() const { return *description_; }
    virtual cComponent* owner() const { return owner_; }

  protected:
    cFieldValue(cComponent& owner, const cFieldDescription& description)
        : owner_(&owner), description_(&description)
    {
    }

    cComponent* owner_;                    // not owned; cFieldRefValueTyped counts it
    const cFieldDescription* description_; // static
};

// The field value of a field of type T: the kind of T, and T's getter and setter go through the
// description; all other getters and setters convert or refuse as cValue does. Does not count
// its component, which must outlive it.
template <typename T> class cFieldValueTyped : public cValueTyped<T, cFieldValue>
{
  public:
    cFieldValueTyped(cComponent& owner, const cFieldDescriptionTyped<T>& description)
        : cValueTyped<T, cFieldValue>(owner, description)
    {
    }
    bool isReadOnly() const override { return typed().isReadOnly(); }

  protected:
    bool read(T& out) const override { return typed().get(*this->owner_, out); }
    bool write(const T& value) override { return typed().set(*this->owner_, value); }

  private:
    const cFieldDescriptionTyped<T>& typed() const
    {
        return static_cast<const cFieldDescriptionTyped<T>&>(*this->description_);
    }
};

// The same, holding a counted pointer to its component for as long as it lives.
template <typename T> class cFieldRefValueTyped : public cFieldValueTyped<T>
{
  public:
    cFieldRefValueTyped(cComponent& owner, const cFieldDescriptionTyped<T>& description)
        : cFieldValueTyped<T>(owner, description), hold_(&owner)
    {
    }

  private:
    cRef<cComponent> hold_; // counted
};

// The eight families by the description that makes them. The description does the reaching
// into the component and decides read-only, so a family is only "plain" or "counting" over T.
template <class C, typename T> using cFieldValueMember = cFieldValueTyped<T>;
template <class C, typename T> using cFieldValueMethod = cFieldValueTyped<T>;
template <class C, typename T> using cFieldValueROMethod = cFieldValueTyped<T>;
template <class C, typename T> using cFieldValueRefMethod = cFieldValueTyped<T>;
template <class C, typename T> using cFieldRefValueMember = cFieldRefValueTyped<T>;
template <class C, typename T> using cFieldRefValueMethod = cFieldRefValueTyped<T>;
template <class C, typename T> using cFieldRefValueROMethod = cFieldRefValueTyped<T>;
template <class C, typename T> using cFieldRefValueRefMethod = cFieldRefValueTyped<T>;

} // namespace qelt

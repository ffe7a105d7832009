// Per-class type records of components, the module's registry of them, and creation by full
// dotted type name ("Component.Segment.Camera").
#pragma once

#include <initializer_list>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace qelt
{

class cComponent;
class cFieldDescription;

// One record per component class, made on first use by the class's staticType() and kept for
// the life of the module. Each module (the engine library, each plug-in, a test program) has its
// own registry, filled in registration order; a class's staticType() asks for its parent's first,
// so a parent is always registered before its children.
//
// Fields are given as the class's own descriptions; the flattened table (the parent's fields,
// then the own ones) is built on the first field operation.
class cComponentType
{
  public:
    // Makes a new component (count 0) with the instance name, or returns null.
    using CreateFunction = cComponent* (*)(const std::string& instanceName);

    // Appends the record to the module's registry. parent is null only for "Component"; an
    // abstract class passes no create function.
    cComponentType(const char* name, cComponentType* parent, CreateFunction create,
                   std::initializer_list<const cFieldDescription*> ownFields = {});
    // Removes the record from the registry, keeping the order of the others.
    ~cComponentType();
    cComponentType(const cComponentType&) = delete;
    cComponentType& operator=(const cComponentType&) = delete;

    // The class's own short name ("Camera").
    const char* name() const { return name_; }
    const cComponentType* parent() const { return parent_; }
    CreateFunction createFunction() const { return create_; }
    // The parent's full name, ".", the short name; the short name alone without a parent.
    std::string fullName() const;
    // True when this record is type or one of its descendants.
    bool isA(const cComponentType& type) const;

    // ---- the flattened field table -------------------------------------------------------------
    int ownFieldCount() const { return static_cast<int>(ownFields_.size()); }
    int fieldCount() const;
    // Null when index is out of range.
    const cFieldDescription* field(int index) const;
    // The index of the first field with exactly this name, so an inherited field hides a later
    // own field of the same name; -1 when there is none.
    int fieldIndex(std::string_view name) const;

  private:
    const std::vector<const cFieldDescription*>& fields() const;

    const char* name_;
    cComponentType* parent_;
    CreateFunction create_;
    std::vector<const cFieldDescription*> ownFields_;
    mutable std::vector<const cFieldDescription*> fields_; // flattened once, under flattened_
    mutable std::once_flag flattened_;
};

// The records of this module in registration order.
const std::vector<cComponentType*>& componentTypes();

// The record whose full name is exactly typeName, first registered first; null when none.
cComponentType* findComponentType(std::string_view typeName);

// A new component (count 0) of the type with exactly this full name, or null with a debug line:
// "Cannot find component type %s", "Component type %s has no create() method" or
// "Cannot create component type %s".
cComponent* createComponent(std::string_view typeName, const std::string& instanceName);

// The usual create function: a new T named instanceName.
template <class T> cComponent* createComponentOf(const std::string& instanceName)
{
    return new T(instanceName);
}

} // namespace qelt

// Component type records, the module's registry and createComponent.
#include "core/component_type.h"

#include "core/field.h"
#include "core/log_manager.h"

#include <algorithm>

namespace qelt
{
namespace
{

// A function-local static, so records made by static initialisers in any order find it built.
std::vector<cComponentType*>& registry()
{
    static std::vector<cComponentType*> records;
    return records;
}

} // namespace

cComponentType::cComponentType(const char* name, cComponentType* parent, CreateFunction create,
                               std::initializer_list<const cFieldDescription*> ownFields)
    : name_(name ? name : ""), parent_(parent), create_(create)
{
    // The own fields end at the first null, as a terminated array would.
    for (const cFieldDescription* field : ownFields)
    {
        if (field == nullptr)
            break;
        ownFields_.push_back(field);
    }
    registry().push_back(this);
}

cComponentType::~cComponentType()
{
    std::vector<cComponentType*>& records = registry();
    records.erase(std::remove(records.begin(), records.end(), this), records.end());
}

std::string cComponentType::fullName() const
{
    if (parent_ == nullptr)
        return name_;
    return parent_->fullName() + "." + name_;
}

bool cComponentType::isA(const cComponentType& type) const
{
    for (const cComponentType* t = this; t != nullptr; t = t->parent_)
        if (t == &type)
            return true;
    return false;
}

// Built once: the parent's table in order, then the own fields in order.
const std::vector<const cFieldDescription*>& cComponentType::fields() const
{
    std::call_once(flattened_,
                   [this]
                   {
                       if (parent_ != nullptr)
                           fields_ = parent_->fields();
                       fields_.insert(fields_.end(), ownFields_.begin(), ownFields_.end());
                   });
    return fields_;
}

int cComponentType::fieldCount() const
{
    return static_cast<int>(fields().size());
}

const cFieldDescription* cComponentType::field(int index) const
{
    const std::vector<const cFieldDescription*>& table = fields();
    if (index < 0 || index >= static_cast<int>(table.size()))
        return nullptr;
    return table[index];
}

int cComponentType::fieldIndex(std::string_view name) const
{
    const std::vector<const cFieldDescription*>& table = fields();
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i]->nameView() == name)
            return static_cast<int>(i);
    return -1;
}

const std::vector<cComponentType*>& componentTypes()
{
    return registry();
}

cComponentType* findComponentType(std::string_view typeName)
{
    for (cComponentType* type : registry())
        if (type->fullName() == typeName)
            return type;
    return nullptr;
}

cComponent* createComponent(std::string_view typeName, const std::string& instanceName)
{
    const std::string name(typeName);
    const cComponentType* type = findComponentType(name);
    if (type == nullptr)
    {
        debugf("Cannot find component type %s\n", name.c_str());
        return nullptr;
    }
    if (type->createFunction() == nullptr)
    {
        debugf("Component type %s has no create() method\n", name.c_str());
        return nullptr;
    }
    cComponent* component = type->createFunction()(instanceName);
    if (component == nullptr)
        debugf("Cannot create component type %s\n", name.c_str());
    return component;
}

} // namespace qelt

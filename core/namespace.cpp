// The directory base of command groups.
#include "core/namespace.h"

#include "core/value.h"

#include <algorithm>

namespace qelt
{

const std::string* cNamespace::nameAt(int index) const
{
    if (index < 0 || index >= static_cast<int>(entries_.size()))
        return nullptr;
    return &entries_[index].first;
}

cRef<cExpression> cNamespace::entryAt(int index) const
{
    if (index < 0 || index >= static_cast<int>(entries_.size()))
        return nullptr;
    return entries_[index].second;
}

cRef<cExpression> cNamespace::find(const cValue& name) const
{
    std::string text;
    if (!name.getString(text))
        return nullptr;
    return find(text);
}

cRef<cExpression> cNamespace::find(const std::string& name) const
{
    for (const auto& [entryName, entry] : entries_)
        if (entryName == name)
            return entry;
    return nullptr;
}

bool cNamespace::add(const std::string&, cExpression*)
{
    return false;
}

bool cNamespace::remove(cExpression*)
{
    return false;
}

bool cNamespace::addEntry(const std::string& name, cExpression* entry)
{
    entries_.emplace_back(name, entry);
    return true;
}

bool cNamespace::removeEntry(cExpression* entry)
{
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [entry](const auto& e) { return e.second.get() == entry; });
    if (found == entries_.end())
        return false;
    // Released after the erase, since it may be the last reference.
    const cRef<cExpression> held = found->second;
    entries_.erase(found);
    return true;
}

} // namespace qelt

// cNamespace: a named directory of expressions, the base of the shell's command groups.
#pragma once

#include "core/expression.h"
#include "core/ref_count.h"

#include <string>
#include <utility>
#include <vector>

namespace qelt
{

class cValue;

// Entries keep the order they were added in and hold their expressions counted. The base class
// refuses add and remove; a directory that accepts entries (a command group) overrides them with
// addEntry and removeEntry.
class cNamespace
{
  public:
    virtual ~cNamespace() = default;

    // ---- the directory interface ---------------------------------------------------------------
    // The directory's own name.
    virtual std::string getName() const = 0;
    virtual int size() const { return static_cast<int>(entries_.size()); }
    // The name of entry index; null when out of range.
    virtual const std::string* nameAt(int index) const;
    // Entry index; null when out of range.
    virtual cRef<cExpression> entryAt(int index) const;
    // The first entry named by the value's text; null when none or the value has no text.
    virtual cRef<cExpression> find(const cValue& name) const;
    // The first entry with exactly this name; null when none.
    virtual cRef<cExpression> find(const std::string& name) const;
    // Appends an entry (no duplicate check); the base refuses.
    virtual bool add(const std::string& name, cExpression* entry);
    // Removes the entry that is entry itself, keeping the others' order; the base refuses.
    virtual bool remove(cExpression* entry);

  protected:
    bool addEntry(const std::string& name, cExpression* entry);
    bool removeEntry(cExpression* entry);

  private:
    std::vector<std::pair<std::string, cRef<cExpression>>> entries_; // counted
};

} // namespace qelt

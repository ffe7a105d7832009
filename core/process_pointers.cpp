// The process-wide table of shared services and this module's view of it.
#include "core/process_pointers.h"

#include "platform/system.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

namespace qelt
{

namespace
{

// The table itself; the base class only shows the slots.
class cProcessPointersTable final : public cProcessPointers
{
  public:
    void* get(const char* name) override;
    void set(const char* name, void* pointer) override;
    int count() override;
    const char* nameAt(int index) override;

  private:
    // std::string compares byte for byte, a shorter prefix first.
    std::map<std::string, void*> entries_;
};

void* cProcessPointersTable::get(const char* name)
{
    const auto found = name ? entries_.find(name) : entries_.end();
    if (found == entries_.end())
    {
        const std::string line =
            std::string("cProcessPointers::get(\"") + (name ? name : "") + "\") failed\n";
        platform::debugOutput(line.c_str());
        return nullptr;
    }
    return found->second;
}

void cProcessPointersTable::set(const char* name, void* pointer)
{
    if (name)
        entries_.try_emplace(name, pointer);
}

int cProcessPointersTable::count()
{
    return int(entries_.size());
}

const char* cProcessPointersTable::nameAt(int index)
{
    if (index < 0 || index >= count())
        return nullptr;
    auto entry = entries_.begin();
    std::advance(entry, index);
    return entry->first.c_str();
}

bool parseHex(const char* text, std::size_t length, uint64_t* value)
{
    uint64_t result = 0;
    for (std::size_t i = 0; i < length; ++i)
    {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return false;
        result = (result << 4) | uint64_t(digit);
    }
    *value = result;
    return true;
}

// ---- this module's state ----------------------------------------------------------------------

// Guards the first lookups of this module; made on first use, so a lookup from another static
// initialiser finds it ready.
std::recursive_mutex& moduleLock()
{
    static std::recursive_mutex lock;
    return lock;
}

std::atomic<cProcessPointers*> g_table{nullptr};
bool g_createdHere = false;
ModuleRole g_role = ModuleRole::Engine;

// The module's unload step: the module that made the table deletes it and withdraws the variable
// so that no later module finds a dangling address; every module forgets its cached pointer.
struct cModuleUnload
{
    ~cModuleUnload()
    {
        std::lock_guard<std::recursive_mutex> guard(moduleLock());
        cProcessPointers* table = g_table.exchange(nullptr);
        if (table && g_createdHere)
        {
            platform::setEnvironment(kProcessPointersVariable, std::nullopt);
            destroyProcessPointers(table);
        }
        g_createdHere = false;
    }
} g_moduleUnload;

} // namespace

std::string formatProcessPointersVariable(uint32_t processId, uintptr_t address)
{
    char text[kProcessPointersVariableLength + 1];
    std::snprintf(text, sizeof text, "%08X,%016llX", processId, (unsigned long long)address);
    return text;
}

std::optional<uintptr_t> parseProcessPointersVariable(const std::string& text, uint32_t processId)
{
    uint64_t id = 0;
    uint64_t address = 0;
    if (text.size() != kProcessPointersVariableLength || text[8] != ',' ||
        !parseHex(text.data(), 8, &id) || !parseHex(text.data() + 9, 16, &address))
        return std::nullopt;
    if (id != processId || address == 0 || address > UINTPTR_MAX)
        return std::nullopt;
    return uintptr_t(address);
}

cProcessPointers* attachProcessPointers(bool* created)
{
    const uint32_t id = platform::processId();
    if (const auto text = platform::getEnvironment(kProcessPointersVariable))
    {
        if (const auto address = parseProcessPointersVariable(*text, id))
        {
            *created = false;
            return reinterpret_cast<cProcessPointers*>(*address);
        }
    }
    // Missing, malformed or left over from another process: this module publishes a new table.
    auto* table = new cProcessPointersTable;
    platform::setEnvironment(kProcessPointersVariable,
                             formatProcessPointersVariable(id, reinterpret_cast<uintptr_t>(table)));
    *created = true;
    return table;
}

void destroyProcessPointers(cProcessPointers* table)
{
    delete static_cast<cProcessPointersTable*>(table);
}

cProcessPointers* processPointers()
{
    if (cProcessPointers* table = g_table.load())
        return table;
    std::lock_guard<std::recursive_mutex> guard(moduleLock());
    if (cProcessPointers* table = g_table.load())
        return table;
    bool created = false;
    cProcessPointers* table = attachProcessPointers(&created);
    g_createdHere = created;
    g_table.store(table);
    return table;
}

void setModuleRole(ModuleRole role)
{
    g_role = role;
}

ModuleRole moduleRole()
{
    return g_role;
}

void* sharedService(std::atomic<void*>& cache, const char* name, const char* typeName,
                    cSharedServiceFactory create)
{
    if (void* service = cache.load())
        return service;
    std::lock_guard<std::recursive_mutex> guard(moduleLock());
    if (void* service = cache.load())
        return service;
    cProcessPointers* table = processPointers();
    if (void* found = table->get(name))
    {
        cache.store(found);
        return found;
    }
    if (g_role == ModuleRole::PlugIn)
    {
        const std::string line = std::string("PP: ") + typeName + " failed\n";
        platform::debugOutput(line.c_str());
        return nullptr;
    }
    void* service = create();
    cache.store(service);
    table->set(name, service);
    return service;
}

} // namespace qelt

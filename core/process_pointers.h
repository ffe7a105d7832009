// The process-wide table of shared services, found by every module through an environment
// variable, and the accessor that makes each shared service exist once per process.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

namespace qelt
{

// Names to object pointers; the objects are not owned. Each module carries its own copy of this
// code, so every call goes through the virtual slots and runs the code of the module that made
// the table. No lock: modules are loaded and the services made on one thread before others use
// them.
class cProcessPointers
{
  public:
    // The pointer stored under name; null (and a line on the debug channel) when there is none.
    virtual void* get(const char* name) = 0;
    // Stores the pointer under name unless the name is present already.
    virtual void set(const char* name, void* pointer) = 0;
    // The number of entries.
    virtual int count() = 0;
    // The name of entry index in ascending byte order; null when index is out of range.
    virtual const char* nameAt(int index) = 0;

  protected:
    cProcessPointers() = default;
    // Not virtual: only the module that made the table deletes it.
    ~cProcessPointers() = default;
};

// The variable that publishes the table: "%08X,%016llX" of the process id and the table's
// address.
inline constexpr const char* kProcessPointersVariable = "__QELT_GLOBAL__";
inline constexpr std::size_t kProcessPointersVariableLength = 25;

std::string formatProcessPointersVariable(uint32_t processId, uintptr_t address);
// The address in a variable of exactly that form written by process processId; empty for any
// other text (another process, another length, a character that is not a hexadecimal digit, a
// null address).
std::optional<uintptr_t> parseProcessPointersVariable(const std::string& text, uint32_t processId);

// The table published for this process, or a new one published now when the variable is missing
// or not this process's; created tells which. Not cached: processPointers is what modules call.
cProcessPointers* attachProcessPointers(bool* created);
// Deletes a table that attachProcessPointers created and that no module caches.
void destroyProcessPointers(cProcessPointers* table);

// This module's table: found once, then cached. The module that created it deletes it and removes
// the variable when the module is unloaded.
cProcessPointers* processPointers();

// Whether this module makes the shared services it cannot find. The program, the engine and the
// tests make them; a renderer plug-in only uses the engine's and says so from a static
// initialiser.
enum class ModuleRole
{
    Engine,
    PlugIn,
};
void setModuleRole(ModuleRole role);
ModuleRole moduleRole();

using cSharedServiceFactory = void* (*)();

// One shared service seen from this module: the module's cached pointer, else the table's entry
// under name, else (engine modules only) a new object from create, registered under name. A
// plug-in that finds nothing writes "PP: <typeName> failed\n" on the debug channel and gets null.
void* sharedService(std::atomic<void*>& cache, const char* name, const char* typeName,
                    cSharedServiceFactory create);

} // namespace qelt

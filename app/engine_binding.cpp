// Looking up the engine's exports by their decorated names.
#include "app/engine_binding.h"

namespace qelt
{

namespace
{

// Fills one function pointer; false when the export is missing.
template <typename Function>
bool bind(const platform::cSharedLibrary& library, const char* name, Function* function,
          std::string* missing)
{
    void* address = library.symbol(name);
    if (address == nullptr)
    {
        *missing = name;
        return false;
    }
    *function = reinterpret_cast<Function>(address);
    return true;
}

} // namespace

bool bindEngine(const platform::cSharedLibrary& library, cEngineBinding* binding,
                std::string* missing)
{
    return bind(library, engine::kSetRenderWindow, &binding->setRenderWindow, missing) &&
           bind(library, engine::kSetMessageWindow, &binding->setMessageWindow, missing) &&
           bind(library, engine::kClose, &binding->close, missing) &&
           bind(library, engine::kRun, &binding->run, missing) &&
           bind(library, engine::kExec, &binding->exec, missing) &&
           bind(library, engine::kLoadSceneFromFile, &binding->loadSceneFromFile, missing) &&
           bind(library, engine::kLoadSceneFromMemory, &binding->loadSceneFromMemory, missing);
}

} // namespace qelt

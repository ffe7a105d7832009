// Binding the seven engine exports that qelt_viewer uses, in the order it looks them up.
#pragma once

#include "app/engine_exports.h"
#include "platform/shared_library.h"

#include <string>

namespace qelt
{

struct cEngineBinding
{
    engine::SetRenderWindowFunction setRenderWindow = nullptr;
    engine::SetMessageWindowFunction setMessageWindow = nullptr;
    engine::CloseFunction close = nullptr;
    engine::RunFunction run = nullptr;
    engine::ExecFunction exec = nullptr;
    engine::LoadSceneFromFileFunction loadSceneFromFile = nullptr;
    engine::LoadSceneFromMemoryFunction loadSceneFromMemory = nullptr;
};

// Looks up _SetRenderWindow@4, _SetMessageWindow@4, _Close@0, _Run@12, _Exec@4,
// _LoadSceneFromFile@4 and _LoadSceneFromMemory@8 in that order. Stops at the first one missing:
// false, with its decorated name in missing.
bool bindEngine(const platform::cSharedLibrary& library, cEngineBinding* binding,
                std::string* missing);

} // namespace qelt

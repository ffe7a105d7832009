// The exports of the engine library that qelt_viewer binds, with the names it looks them up by
// and the signatures the engine implements them with.
#pragma once

#include "platform/window/messages.h"

#include <cstdint>

namespace qelt::engine
{

// A started loader thread, or null.
using ThreadHandle = void*;

using SetRenderWindowFunction = platform::WindowHandle (*)(platform::WindowHandle window);
using SetMessageWindowFunction = platform::WindowHandle (*)(platform::WindowHandle window);
using CloseFunction = void (*)();
// reserved is 0; visibility may be null (absent).
using RunFunction = void (*)(int reserved, const char* driver, const char* visibility);
using ExecFunction = void (*)(const char* command);
using LoadSceneFromFileFunction = ThreadHandle (*)(const char* path);
// The bytes are not copied and must stay valid while the engine runs.
using LoadSceneFromMemoryFunction = ThreadHandle (*)(const void* data, uint32_t size);

inline constexpr const char* kSetRenderWindow = "_SetRenderWindow@4";
inline constexpr const char* kSetMessageWindow = "_SetMessageWindow@4";
inline constexpr const char* kClose = "_Close@0";
inline constexpr const char* kRun = "_Run@12";
inline constexpr const char* kExec = "_Exec@4";
inline constexpr const char* kLoadSceneFromFile = "_LoadSceneFromFile@4";
inline constexpr const char* kLoadSceneFromMemory = "_LoadSceneFromMemory@8";

// The engine library as the program names it; "qeltview.so" on this system.
inline constexpr const char* kLibraryName = "qeltview.dll";

} // namespace qelt::engine

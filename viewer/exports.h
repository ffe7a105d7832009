// The ten functions the engine library exports, as plain C symbols; hosts look them up by their
// decorated names ("_Run@12" finds Run).
#pragma once

#include "platform/window/messages.h"

#include <cstdint>

#define QELT_EXPORT extern "C" __attribute__((visibility("default")))

QELT_EXPORT qelt::platform::WindowHandle SetRenderWindow(qelt::platform::WindowHandle window);
QELT_EXPORT qelt::platform::WindowHandle SetMessageWindow(qelt::platform::WindowHandle window);
QELT_EXPORT void Run(int reserved, const char* driver, const char* visibility);
QELT_EXPORT void* LoadSceneFromFile(const char* path);
QELT_EXPORT void* LoadSceneFromMemory(const void* data, uint32_t size);
QELT_EXPORT void Exec(const char* command);
QELT_EXPORT uint8_t IsEffectValid(const char* effectName);
QELT_EXPORT void Close();
QELT_EXPORT int16_t FadeToLine(int kind, int duration, int target, int device);
QELT_EXPORT int16_t FadeRestoreLine(int duration);

// The log manager, its shared instance and the engine's logging helpers.
#include "core/log_manager.h"

#include "core/process_pointers.h"
#include "platform/system.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace qelt
{

void cLogManager::addHandler(cHandler* handler)
{
    if (!handler)
        return;
    std::lock_guard<std::recursive_mutex> guard(lock_);
    handlers_.push_back(handler);
}

bool cLogManager::removeHandler(cHandler* handler)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    const auto found = std::find(handlers_.begin(), handlers_.end(), handler);
    if (found == handlers_.end())
        return false;
    handlers_.erase(found);
    return true;
}

int cLogManager::log(uint32_t source, uint32_t level, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int result = vlog(source, level, format, args);
    va_end(args);
    return result;
}

int cLogManager::vlog(uint32_t source, uint32_t level, const char* format, va_list args)
{
    if (!format)
        return 0;
    std::lock_guard<std::recursive_mutex> guard(lock_);
    // Most debug and message texts reach nobody; they are not worth formatting.
    if (std::none_of(handlers_.begin(), handlers_.end(),
                     [&](const cHandler* handler) { return handler->accepts(source, level); }))
        return 0;

    char buffer[kFormatBufferSize];
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    std::string large;
    const char* text = buffer;
    if (length < 0)
    {
        // The format itself is broken; the handlers still learn that something was said.
        text = format;
    }
    else if (std::size_t(length) >= sizeof buffer)
    {
        large.resize(std::size_t(length) + 1);
        std::vsnprintf(large.data(), large.size(), format, again);
        text = large.c_str();
    }
    va_end(again);

    // By index, so a handler that removes another from its write does not break the walk.
    int delivered = 0;
    for (std::size_t i = 0; i < handlers_.size(); ++i)
    {
        cHandler* handler = handlers_[i];
        if (handler->accepts(source, level))
        {
            handler->write(source, level, text);
            ++delivered;
        }
    }
    return delivered;
}

cLogManager::~cLogManager()
{
    // A handler installed twice is still deleted once.
    std::sort(handlers_.begin(), handlers_.end());
    handlers_.erase(std::unique(handlers_.begin(), handlers_.end()), handlers_.end());
    for (cHandler* handler : handlers_)
        delete handler;
}

// ---- the shared manager and the helpers
// ----------------------------------------------------------

namespace
{

std::atomic<void*> g_logManager{nullptr};

} // namespace

cLogManager* logManager()
{
    return static_cast<cLogManager*>(sharedService(g_logManager, "LogManager", "cLogManager",
                                                   []() -> void* { return new cLogManager; }));
}

void debugf(const char* format, ...)
{
    if (!platform::debugOutputEnabled())
        return;
    cLogManager* manager = logManager();
    if (!manager)
        return;
    va_list args;
    va_start(args, format);
    manager->vlog(cLogManager::kSourceEngine, cLogManager::kLevelDebug, format, args);
    va_end(args);
}

int messagef(const char* format, ...)
{
    cLogManager* manager = logManager();
    if (!manager)
        return 0;
    va_list args;
    va_start(args, format);
    const int result =
        manager->vlog(cLogManager::kSourceEngine, cLogManager::kLevelMessage, format, args);
    va_end(args);
    return result;
}

void fatalf(const char* format, ...)
{
    if (cLogManager* manager = logManager())
    {
        va_list args;
        va_start(args, format);
        manager->vlog(cLogManager::kSourceEngine, cLogManager::kLevelFatal, format, args);
        va_end(args);
    }
    std::abort();
}

} // namespace qelt

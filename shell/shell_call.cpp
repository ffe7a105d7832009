// Argument access and reports of the call record.
#include "shell/shell_call.h"

#include "core/event.h"
#include "core/log_manager.h"

#include <cstdarg>
#include <cstdio>

namespace qelt
{

int cShellCall::argumentCount() const
{
    const int own = static_cast<int>(arguments_->size());
    return event_ ? own + event_->argumentCount() : own;
}

cExpression& cShellCall::argument(int index) const
{
    const int own = static_cast<int>(arguments_->size());
    if (index >= 0 && index < own)
    {
        cExpression* argument = (*arguments_)[index].get();
        return argument ? *argument : voidExpression();
    }
    if (event_ && index >= own && index - own < event_->argumentCount())
    {
        cExpression* argument = event_->argument(index - own);
        return argument ? *argument : voidExpression();
    }
    return voidExpression();
}

void cShellCall::reportf(const char* format, ...) const
{
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    messagef("%s", text);
}

} // namespace qelt

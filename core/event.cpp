// The names and arguments of events.
#include "core/event.h"

#include "core/event_type.h"
#include "core/expression.h"

#include <cstdio>

namespace qelt
{

std::string cEvent::getName() const
{
    return type_->fullName() + "()";
}

cExpression* cEvent::argument(int) const
{
    return &voidExpression();
}

std::string cEventShell::getName() const
{
    return type().fullName() + "(\"" + command_ + "\")";
}

std::string cEventScene::getName() const
{
    char number[16];
    std::snprintf(number, sizeof number, "(%d)", number_);
    return type().fullName() + number;
}

} // namespace qelt

// The log handlers: the debugger output, the alert box and a file.
#include "core/log_handlers.h"

#include "platform/message_box.h"
#include "platform/system.h"

#include <cstring>

namespace qelt
{

void cLogHandlerWinDebug::write(uint32_t, uint32_t, const char* text)
{
    platform::debugOutput(text);
}

void cLogHandlerAlertBox::write(uint32_t, uint32_t, const char* text)
{
    platform::messageBox("Alert", text, platform::MessageBoxButtons::Ok,
                         platform::MessageBoxIcon::None);
}

bool cLogHandlerAlertBox::accepts(uint32_t, uint32_t level) const
{
    return (level & cLogManager::kLevelFatal) != 0;
}

void cLogHandlerFile::write(uint32_t, uint32_t, const char* text)
{
    if (!file_)
        return;
    const std::size_t length = std::strlen(text);
    file_->write(text, length);
    if (length == 0 || text[length - 1] != '\n')
        file_->write("\r\n", 2);
    file_->flush();
}

void addStartupLogHandlers(cLogManager& manager)
{
    manager.addHandler(new cLogHandlerWinDebug(cLogManager::kAllSources, cLogManager::kLevelDebug));
    manager.addHandler(new cLogHandlerAlertBox(cLogManager::kAllSources, cLogManager::kLevelFatal));
}

} // namespace qelt

// The shell command "log": sends every log text to a file as well, or stops doing so.
#include "core/log_command.h"

#include "core/file_manager.h"
#include "core/log_handlers.h"
#include "core/log_manager.h"

#include <memory>

namespace qelt
{

cLogToFile::~cLogToFile()
{
    stop();
}

void cLogToFile::stop()
{
    if (!handler_)
        return;
    logs_.removeHandler(handler_);
    // The handler closes and deletes its file.
    delete handler_;
    handler_ = nullptr;
}

void cLogToFile::run(const cCommandArguments& arguments)
{
    stop();
    if (arguments.empty())
        return;
    if (!arguments[0])
    {
        logs_.log(cLogManager::kSourceEngine, cLogManager::kLevelMessage, "Expected filename");
        return;
    }
    const std::string& name = *arguments[0];
    std::unique_ptr<cFile> file(files_.openFile(name.c_str(), nullptr, cFileManager::ModeWrite));
    if (!file)
    {
        logs_.log(cLogManager::kSourceEngine, cLogManager::kLevelMessage,
                  "Could not create file '%s'", name.c_str());
        return;
    }
    handler_ =
        new cLogHandlerFile(std::move(file), cLogManager::kAllSources, cLogManager::kAllLevels);
    logs_.addHandler(handler_);
}

void commandLog(const cCommandArguments& arguments)
{
    cLogManager* logs = logManager();
    cFileManager* files = fileManager();
    if (!logs || !files)
        return;
    static cLogToFile command(*logs, *files);
    command.run(arguments);
}

} // namespace qelt

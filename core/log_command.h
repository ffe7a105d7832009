// The shell command "log": sends every log text to a file as well, or stops doing so.
#pragma once

#include "core/command_arguments.h"

namespace qelt
{

class cFileManager;
class cLogHandlerFile;
class cLogManager;

inline constexpr cCommandInfo kLogCommand{"", "log", "Log console to file"};

// The command's state over one log manager: the file handler it installed, at most one at a time.
// Reports go through the same manager at the message level.
class cLogToFile
{
  public:
    cLogToFile(cLogManager& logs, cFileManager& files) : logs_(logs), files_(files) {}
    cLogToFile(const cLogToFile&) = delete;
    cLogToFile& operator=(const cLogToFile&) = delete;
    // Stops the file output.
    ~cLogToFile();

    // Ends the file output of an earlier run; with a file name (anything convertible to text) as
    // the first argument, creates that file through the file manager and logs everything to it.
    void run(const cCommandArguments& arguments);

    // The installed file handler; null when none.
    cLogHandlerFile* handler() const { return handler_; }

  private:
    void stop();

    cLogManager& logs_;
    cFileManager& files_;
    cLogHandlerFile* handler_ = nullptr; // owned by us while installed in logs_
};

// The command as the shell registers it: over the process's log and file managers.
void commandLog(const cCommandArguments& arguments);

} // namespace qelt

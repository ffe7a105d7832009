// The log handlers: the debugger output, the alert box and a file.
#pragma once

#include "core/file.h"
#include "core/log_manager.h"

#include <memory>

namespace qelt
{

// The debugger output, which is our debug channel on stderr (silent unless debug output is on).
class cLogHandlerWinDebug : public cLogManager::cHandler
{
  public:
    cLogHandlerWinDebug(uint32_t sourceMask = cLogManager::kAllSources,
                        uint32_t levelMask = cLogManager::kLevelDebug)
        : cHandler(sourceMask, levelMask)
    {
    }
    void write(uint32_t source, uint32_t level, const char* text) override;
};

// A modal "Alert" box with an OK button and no owner window, for fatal texts. It ignores its level
// mask and tests the fatal bit itself, so a fatal text shows exactly one box.
class cLogHandlerAlertBox : public cLogManager::cHandler
{
  public:
    cLogHandlerAlertBox(uint32_t sourceMask = cLogManager::kAllSources,
                        uint32_t levelMask = cLogManager::kLevelFatal)
        : cHandler(sourceMask, levelMask)
    {
    }
    void write(uint32_t source, uint32_t level, const char* text) override;
    bool accepts(uint32_t source, uint32_t level) const override;
};

// Writes each text to a file, then CR LF unless the text ends with a line feed, then flushes, so
// the file is complete however the process ends. A failed write does not stop delivery to the
// other handlers; the file reports it by its write result.
class cLogHandlerFile : public cLogManager::cHandler
{
  public:
    // Takes ownership of the file.
    explicit cLogHandlerFile(std::unique_ptr<cFile> file,
                             uint32_t sourceMask = cLogManager::kAllSources,
                             uint32_t levelMask = cLogManager::kAllLevels)
        : cHandler(sourceMask, levelMask), file_(std::move(file))
    {
    }
    void write(uint32_t source, uint32_t level, const char* text) override;

    cFile* file() const { return file_.get(); }

  private:
    std::unique_ptr<cFile> file_; // owned; closed with the handler
};

// What the library's start-up installs: the debugger output for debug texts, then the alert box
// for fatal ones.
void addStartupLogHandlers(cLogManager& manager);

} // namespace qelt

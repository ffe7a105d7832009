// The log manager: every diagnostic text of the process, formatted once and handed to the
// installed handlers whose masks accept it.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <mutex>
#include <vector>

namespace qelt
{

// One manager per process, shared through the process pointers under "LogManager". Its lock is
// held while a message is formatted and delivered, so texts from different threads never
// interleave and a handler's write is never entered twice at once; the lock is re-entrant, so a
// handler may log from its own write on the same thread. addHandler and removeHandler take the
// lock too: a handler's write must therefore never wait for a thread that installs or removes
// handlers.
class cLogManager
{
  public:
    // Sources (the first argument of log).
    static constexpr uint32_t kSourceEngine = 1;
    static constexpr uint32_t kSourceRenderer = 4;
    static constexpr uint32_t kAllSources = 0xfffff;
    // Levels (the second argument of log).
    static constexpr uint32_t kLevelFatal = 1;
    static constexpr uint32_t kLevelDebug = 8;
    static constexpr uint32_t kLevelMessage = 16;
    static constexpr uint32_t kAllLevels = 0xfffff;
    // Texts up to this size, terminator included, are formatted without a heap allocation; longer
    // ones are formatted into a larger buffer, never cut.
    static constexpr std::size_t kFormatBufferSize = 3840;

    // A receiver of formatted texts.
    class cHandler
    {
      public:
        cHandler(uint32_t sourceMask, uint32_t levelMask)
            : sourceMask(sourceMask), levelMask(levelMask)
        {
        }
        virtual ~cHandler() = default;
        // Takes one formatted, terminated text.
        virtual void write(uint32_t source, uint32_t level, const char* text) = 0;
        // True when the text of that source and level is for this handler.
        virtual bool accepts(uint32_t source, uint32_t level) const
        {
            return (level & levelMask) != 0 && (source & sourceMask) != 0;
        }

        uint32_t sourceMask;
        uint32_t levelMask;
    };

    cLogManager() = default;
    cLogManager(const cLogManager&) = delete;
    cLogManager& operator=(const cLogManager&) = delete;

    // Appends the handler, which the manager then owns.
    virtual void addHandler(cHandler* handler);
    // Unlinks the first entry equal to handler without deleting it; false when not installed.
    virtual bool removeHandler(cHandler* handler);
    // Formats the text (printf conventions) and delivers it; returns how many handlers took it.
    virtual int log(uint32_t source, uint32_t level, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    virtual int vlog(uint32_t source, uint32_t level, const char* format, va_list args)
        __attribute__((format(printf, 4, 0)));
    // Deletes the handlers still installed.
    virtual ~cLogManager();

  private:
    std::recursive_mutex lock_;
    std::vector<cHandler*> handlers_; // owned, in delivery order
};

// This process's manager, found or made through the process pointers and cached by the module;
// null in a plug-in when the engine has made none.
cLogManager* logManager();

// A line for developers: source engine, level debug, delivered only when debug output is on
// (QELT_DEBUG_LOG is "true" in any case, read on first use).
void debugf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A report for the user: source engine, level message; returns the manager's result.
int messagef(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A last word: source engine, level fatal; then the process ends abnormally.
[[noreturn]] void fatalf(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace qelt

// A log handler for tests that keeps every text it is given, installed for one scope.
#pragma once

#include "core/log_manager.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

namespace qelt::testing
{

struct cLogLine
{
    uint32_t source;
    uint32_t level;
    std::string text;
};

class cCaptureHandler : public cLogManager::cHandler
{
  public:
    cCaptureHandler(uint32_t sourceMask, uint32_t levelMask) : cHandler(sourceMask, levelMask) {}
    void write(uint32_t source, uint32_t level, const char* text) override
    {
        std::lock_guard<std::mutex> guard(lock_);
        lines_.push_back({source, level, text});
    }
    std::vector<cLogLine> lines()
    {
        std::lock_guard<std::mutex> guard(lock_);
        return lines_;
    }
    std::vector<std::string> texts()
    {
        std::vector<std::string> texts;
        for (const cLogLine& line : lines())
            texts.push_back(line.text);
        return texts;
    }

  private:
    std::mutex lock_;
    std::vector<cLogLine> lines_;
};

// Installs a capture handler in the manager (the process's by default) and removes and deletes
// it at the end of the scope.
class cLogCapture
{
  public:
    explicit cLogCapture(cLogManager* manager = logManager(),
                         uint32_t levelMask = cLogManager::kAllLevels)
        : manager_(manager), handler_(new cCaptureHandler(cLogManager::kAllSources, levelMask))
    {
        manager_->addHandler(handler_);
    }
    ~cLogCapture()
    {
        EXPECT_TRUE(manager_->removeHandler(handler_));
        delete handler_;
    }
    cLogCapture(const cLogCapture&) = delete;
    cLogCapture& operator=(const cLogCapture&) = delete;

    std::vector<cLogLine> lines() { return handler_->lines(); }
    std::vector<std::string> texts() { return handler_->texts(); }

  private:
    cLogManager* manager_;
    cCaptureHandler* handler_; // owned here; installed in manager_ while we live
};

} // namespace qelt::testing

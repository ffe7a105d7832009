// The headless backend: windows without a display, a fixed screen, and message boxes written to
// stderr and answered from a scripted list.
#include "platform/window/backend.h"

#include "platform/system.h"

#include <cstdio>
#include <mutex>

namespace qelt::platform
{

MessageBoxAnswer defaultAnswer(MessageBoxButtons buttons)
{
    return buttons == MessageBoxButtons::Ok ? MessageBoxAnswer::Ok : MessageBoxAnswer::Yes;
}

namespace
{

// The screen a headless program sees.
constexpr cPoint kScreen{1920, 1080};

class cHeadlessBackend : public cWindowBackend
{
  public:
    cHeadlessBackend() : answers_(getEnvironment("QELT_MESSAGEBOX_ANSWERS").value_or("")) {}

    const char* name() const override { return "headless"; }
    uintptr_t createWindow(const cNativeWindowSpec&) override { return 0; }
    void destroyWindow(uintptr_t) override {}
    void setTitle(uintptr_t, const std::string&) override {}
    void setGeometry(uintptr_t, const cRect&) override {}
    void setStyle(uintptr_t, uint32_t, uint32_t) override {}
    void setVisible(uintptr_t, bool) override {}
    void setFocus(uintptr_t) override {}
    void activate(uintptr_t) override {}
    void setCursor(const std::vector<uintptr_t>&, int, bool) override {}
    bool pointer(cPoint*) override { return false; }
    void warpPointer(const cPoint&) override {}
    void capturePointer(uintptr_t) override {}
    void releasePointer() override {}
    cPoint screenSize() override { return kScreen; }
    void* nativeDisplay() override { return nullptr; }
    void shutdown() override {}

    // One line per box, whether or not the text brings its own line feed.
    void showMessageBox(const cMessageBoxRequest& request, MessageBoxAnswered answered) override
    {
        std::string line = request.text;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        {
            line.pop_back();
        }
        std::fprintf(stderr, "%s: %s\n", request.caption.c_str(), line.c_str());
        std::fflush(stderr);

        const std::string word = nextScriptedAnswer();
        MessageBoxAnswer answer = defaultAnswer(request.buttons);
        if (request.buttons == MessageBoxButtons::YesNo && word == "no")
        {
            answer = MessageBoxAnswer::No;
        }
        answered(answer);
    }

  private:
    // Each box takes the next word of the list, in lower case; empty when the list is used up.
    std::string nextScriptedAnswer()
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (next_ >= answers_.size())
        {
            return {};
        }
        std::size_t end = answers_.find(',', next_);
        if (end == std::string::npos)
        {
            end = answers_.size();
        }
        std::string word = answers_.substr(next_, end - next_);
        next_ = end + 1;
        for (char& c : word)
        {
            if (c >= 'A' && c <= 'Z')
            {
                c = static_cast<char>(c - 'A' + 'a');
            }
        }
        return word;
    }

    std::mutex lock_;
    const std::string answers_;
    std::size_t next_ = 0;
};

} // namespace

std::unique_ptr<cWindowBackend> createHeadlessBackend()
{
    return std::make_unique<cHeadlessBackend>();
}

} // namespace qelt::platform

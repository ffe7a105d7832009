// Message boxes; this backend writes them to stderr and answers from a scripted list.
#include "platform/message_box.h"

#include "platform/system.h"

#include <cstdio>
#include <mutex>

namespace qelt::platform
{

namespace
{

// The answer list is read once; each box takes the next word.
std::string nextScriptedAnswer()
{
    static std::mutex lock;
    static std::size_t next = 0;
    static const std::string answers = getEnvironment("QELT_MESSAGEBOX_ANSWERS").value_or("");

    std::lock_guard<std::mutex> guard(lock);
    if (next >= answers.size())
        return {};
    std::size_t end = answers.find(',', next);
    if (end == std::string::npos)
        end = answers.size();
    std::string word = answers.substr(next, end - next);
    next = end + 1;
    for (char& c : word)
    {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return word;
}

} // namespace

MessageBoxAnswer messageBox(const std::string& caption, const std::string& text,
                            MessageBoxButtons buttons, MessageBoxIcon icon)
{
    // One line per box, whether or not the text brings its own line feed.
    std::string line = text;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), line.c_str());
    std::fflush(stderr);

    std::string answer = nextScriptedAnswer();
    if (buttons == MessageBoxButtons::Ok)
        return MessageBoxAnswer::Ok;
    return answer == "no" ? MessageBoxAnswer::No : MessageBoxAnswer::Yes;
}

} // namespace qelt::platform

// Feeds arbitrary texts to the parsers of file names that scenes and scripts hand the file
// manager: extension lists, search path entries, copy names of archive entries and http names.
#include "core/file_manager.h"
#include "platform/http.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace
{

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool isWord(const std::string& word)
{
    return !word.empty() &&
           std::all_of(word.begin(), word.end(),
                       [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    const auto words = qelt::parseExtensionList(text.c_str());
    check(std::is_sorted(words.begin(), words.end()));
    check(std::adjacent_find(words.begin(), words.end()) == words.end());
    check(std::all_of(words.begin(), words.end(), isWord));

    qelt::cSearchPathEntry entry;
    if (qelt::splitSearchPathEntry(text, &entry))
    {
        check(entry.directory.size() <= text.size());
        check(std::all_of(entry.extensions.begin(), entry.extensions.end(), isWord));
    }

    const std::string copy = qelt::temporaryCopyName(text.c_str(), size);
    check(!copy.empty() && copy != "." && copy != "..");
    check(copy.find_first_of("/\\") == std::string::npos);

    qelt::isAbsoluteFileName(text);

    const std::string url = qelt::platform::canonicalHttpUrl(text);
    check(url.empty() || url.rfind("http://", 0) == 0);
    return 0;
}

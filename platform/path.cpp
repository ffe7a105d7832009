// File names as scenes and scripts write them, mapped onto the case-sensitive POSIX file system.
#include "platform/path.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace qelt::platform
{

namespace
{

bool exists(const std::string& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0;
}

bool isFolder(const std::string& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(const std::string& a, const char* b)
{
    const std::size_t length = std::strlen(b);
    if (a.size() != length)
    {
        return false;
    }
    for (std::size_t i = 0; i < length; ++i)
    {
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
        {
            return false;
        }
    }
    return true;
}

// The entry of folder whose name equals component without regard to case; the smallest such
// name when several do, so the answer does not depend on the directory's order.
bool findIgnoringCase(const std::string& folder, const std::string& component, std::string* match)
{
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr)
    {
        return false;
    }
    bool found = false;
    while (const dirent* entry = ::readdir(dir))
    {
        if (equalsIgnoringCase(component, entry->d_name) && (!found || *match > entry->d_name))
        {
            *match = entry->d_name;
            found = true;
        }
    }
    ::closedir(dir);
    return found;
}

// The folder part of a native name ("" for a bare name, "/" for a name in the root) and the
// final component.
void splitLast(const std::string& native, std::string* folder, std::string* last)
{
    const std::size_t slash = native.rfind('/');
    if (slash == std::string::npos)
    {
        folder->clear();
        *last = native;
        return;
    }
    *folder = slash == 0 ? std::string("/") : native.substr(0, slash);
    *last = native.substr(slash + 1);
}

std::string joinPath(const std::string& folder, const std::string& last)
{
    if (folder.empty())
    {
        return last;
    }
    return folder.back() == '/' ? folder + last : folder + "/" + last;
}

} // namespace

std::string toNativeSeparators(const std::string& name)
{
    std::string native = name;
    for (char& c : native)
    {
        if (c == '\\')
        {
            c = '/';
        }
    }
    return native;
}

std::string resolvePath(const std::string& name)
{
    const std::string native = toNativeSeparators(name);
    if (native.empty() || exists(native))
    {
        return native;
    }

    // Walk the name folder by folder; each missing component is looked for without regard to
    // case in the folder found so far.
    std::string resolved = native[0] == '/' ? "/" : "";
    std::size_t start = 0;
    while (start <= native.size())
    {
        std::size_t end = native.find('/', start);
        if (end == std::string::npos)
        {
            end = native.size();
        }
        const std::string component = native.substr(start, end - start);
        start = end + 1;
        if (component.empty())
        {
            continue;
        }
        std::string candidate = joinPath(resolved, component);
        if (component != "." && component != ".." && !exists(candidate))
        {
            std::string match;
            if (!findIgnoringCase(resolved, component, &match))
            {
                return native;
            }
            candidate = joinPath(resolved, match);
        }
        resolved = candidate;
    }
    if (native.back() == '/' && resolved.back() != '/')
    {
        resolved += '/';
    }
    return resolved;
}

bool pathExists(const std::string& name)
{
    return !name.empty() && exists(resolvePath(name));
}

std::FILE* openFile(const std::string& name, const char* mode)
{
    if (name.empty() || mode == nullptr)
    {
        errno = ENOENT;
        return nullptr;
    }
    const std::string resolved = resolvePath(name);
    if (mode[0] == 'r' || exists(resolved))
    {
        return std::fopen(resolved.c_str(), mode);
    }
    // A new file: its folders are matched without regard to case, its own name kept as written.
    std::string folder;
    std::string last;
    splitLast(toNativeSeparators(name), &folder, &last);
    const std::string target = joinPath(folder.empty() ? folder : resolvePath(folder), last);
    return std::fopen(target.c_str(), mode);
}

bool createFolder(const std::string& name)
{
    std::string native = toNativeSeparators(name);
    while (native.size() > 1 && native.back() == '/')
    {
        native.pop_back();
    }
    if (native.empty())
    {
        return false;
    }
    if (isFolder(resolvePath(native)))
    {
        return true;
    }
    std::string folder;
    std::string last;
    splitLast(native, &folder, &last);
    const std::string target = joinPath(folder.empty() ? folder : resolvePath(folder), last);
    if (::mkdir(target.c_str(), 0777) == 0)
    {
        return true;
    }
    return errno == EEXIST && isFolder(target);
}

std::string baseName(const std::string& name)
{
    const std::size_t cut = name.find_last_of("/\\:");
    return cut == std::string::npos ? name : name.substr(cut + 1);
}

} // namespace qelt::platform

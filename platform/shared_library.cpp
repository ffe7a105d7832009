// Shared libraries through dlopen/dlsym, with the engine's "name.dll" and "_Name@N" names mapped.
#include "platform/shared_library.h"

#include "platform/path.h"

#include <dlfcn.h>
#include <unistd.h>

#include <utility>

namespace qelt::platform
{

// ---------------------------------------------------------------------------------------------
// Name mapping
// ---------------------------------------------------------------------------------------------

namespace
{

bool endsWithDll(const std::string& name)
{
    if (name.size() < 4)
    {
        return false;
    }
    const std::string tail = name.substr(name.size() - 4);
    return tail[0] == '.' && (tail[1] == 'd' || tail[1] == 'D') &&
           (tail[2] == 'l' || tail[2] == 'L') && (tail[3] == 'l' || tail[3] == 'L');
}

std::string loaderError()
{
    const char* text = ::dlerror();
    return text != nullptr ? std::string(text) : std::string("unknown loader error");
}

} // namespace

std::string sharedLibraryFileName(const std::string& name)
{
    std::string file = toNativeSeparators(name);
    if (endsWithDll(file))
    {
        file.replace(file.size() - 4, 4, ".so");
    }
    return file;
}

std::string undecoratedSymbolName(const std::string& name)
{
    // "_Name@N": a leading underscore, a non-empty name, "@" and only digits after it.
    const std::size_t at = name.rfind('@');
    if (name.size() < 4 || name[0] != '_' || at == std::string::npos || at < 2 ||
        at + 1 == name.size())
    {
        return name;
    }
    for (std::size_t i = at + 1; i < name.size(); ++i)
    {
        if (name[i] < '0' || name[i] > '9')
        {
            return name;
        }
    }
    return name.substr(1, at - 1);
}

// ---------------------------------------------------------------------------------------------
// cSharedLibrary
// ---------------------------------------------------------------------------------------------

cSharedLibrary::~cSharedLibrary()
{
    close();
}

cSharedLibrary::cSharedLibrary(cSharedLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), error_(std::move(other.error_))
{
}

cSharedLibrary& cSharedLibrary::operator=(cSharedLibrary&& other) noexcept
{
    if (this != &other)
    {
        close();
        handle_ = std::exchange(other.handle_, nullptr);
        error_ = std::move(other.error_);
    }
    return *this;
}

bool cSharedLibrary::open(const std::string& name)
{
    close();
    error_.clear();
    const std::string file = sharedLibraryFileName(name);
    if (file.empty())
    {
        error_ = "no library name given";
        return false;
    }

    std::string candidate;
    if (file.find('/') != std::string::npos)
    {
        candidate = resolvePath(file);
    }
    else
    {
        // The program unpacks its libraries into a folder it makes current, so that folder comes
        // before the system search path; without a "/" dlopen would not look there.
        const std::string local = resolvePath("./" + file);
        candidate = ::access(local.c_str(), F_OK) == 0 ? local : file;
    }

    handle_ = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr)
    {
        error_ = loaderError();
        return false;
    }
    return true;
}

void cSharedLibrary::close()
{
    if (handle_ != nullptr)
    {
        ::dlclose(handle_);
        handle_ = nullptr;
    }
}

void* cSharedLibrary::symbol(const std::string& name) const
{
    if (handle_ == nullptr)
    {
        return nullptr;
    }
    return ::dlsym(handle_, undecoratedSymbolName(name).c_str());
}

} // namespace qelt::platform

// Loading shared libraries and looking up their exports by the names the engine was written with.
#pragma once

#include <string>

namespace qelt::platform
{

// "name.dll" (any case of the extension) becomes "name.so"; other names are unchanged.
std::string sharedLibraryFileName(const std::string& name);

// A decorated export name such as "_Run@12" becomes "Run"; plain names are unchanged.
std::string undecoratedSymbolName(const std::string& name);

// A loaded shared library; unloads on destruction. Not copyable.
class cSharedLibrary
{
  public:
    cSharedLibrary() = default;
    ~cSharedLibrary();
    cSharedLibrary(const cSharedLibrary&) = delete;
    cSharedLibrary& operator=(const cSharedLibrary&) = delete;
    cSharedLibrary(cSharedLibrary&& other) noexcept;
    cSharedLibrary& operator=(cSharedLibrary&& other) noexcept;

    // Loads the library through the name mappings above; false with error() set on failure.
    bool open(const std::string& name);
    void close();
    bool isOpen() const { return handle_ != nullptr; }

    // The address of an export, looked up by its undecorated name; null when missing.
    void* symbol(const std::string& name) const;

    // The loader's last message.
    const std::string& error() const { return error_; }

  private:
    void* handle_ = nullptr; // owned dlopen handle
    std::string error_;
};

} // namespace qelt::platform

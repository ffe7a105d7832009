// The library package the program carries: folders and zlib-compressed files, unpacked at start.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qelt
{

class cFile;

namespace package
{
inline constexpr uint32_t kMagic = 0x5F574F57; // "WOW_"
inline constexpr uint32_t kVersion = 2;

enum EntryType : uint32_t
{
    End = 1,
    Folder = 2,
    File = 3,
};

inline constexpr uint32_t kMethodZlib = 1;
// The longest target folder + separator + entry name.
inline constexpr std::size_t kMaxPath = 255;
} // namespace package

// Told "Loading", the full path of the entry being written and a percentage from 0 to 100.
using PackageProgress =
    std::function<void(const char* text, const std::string& path, float percent)>;

// Unpacks the package read from source into targetFolder. Returns true when the package ended
// (end entry or end of data) without a fault. A fault (wrong magic, unknown entry type or
// method, a name that leaves the target folder, a damaged or wrongly sized zlib stream, a size
// beyond the end of the source, a file that cannot be written) stops the unpacking: entries
// before it stay written, the faulty one leaves nothing behind, and error receives one line.
bool extractPackage(const std::string& targetFolder, cFile& source,
                    const PackageProgress& progress = {}, std::string* error = nullptr);

// One entry as listed, without inflating anything.
struct cPackageEntryInfo
{
    uint32_t type = 0;
    std::string name;
    uint32_t unpackedSize = 0; // files only
    uint32_t packedSize = 0;   // files only
};

// Lists the entries of the package read from source; false with error set on a fault (the
// entries before it are listed).
bool listPackage(cFile& source, std::vector<cPackageEntryInfo>& entries,
                 std::string* error = nullptr);

} // namespace qelt

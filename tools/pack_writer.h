// Writers of the library package and the scene archive, for the build, the tools and the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qelt::tools
{

struct cPackItem
{
    enum Kind
    {
        Folder,
        File,
    };
    Kind kind = File;
    std::string name;
    std::vector<uint8_t> data; // files only
};

// A version-2 package: header, the items in order (files compressed with zlib's one-call
// compression), end entry. Throws std::runtime_error when zlib fails.
std::vector<uint8_t> buildPackage(const std::vector<cPackItem>& items);

struct cArchiveItem
{
    std::string name;
    std::vector<uint8_t> data;
};

// A scene archive: name, size and bytes per item, then the empty-name end marker.
std::vector<uint8_t> buildArchive(const std::vector<cArchiveItem>& items);

// Reads a whole file; false with error set when it cannot.
bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string* error);
// Writes through a temporary name in the same folder and renames, so a failure never leaves a
// cut file and never touches an existing one.
bool writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error);

} // namespace qelt::tools

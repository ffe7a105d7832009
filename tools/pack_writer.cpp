// Writers of the library package and the scene archive.
#include "tools/pack_writer.h"

#include "app/package.h"

#include <zlib.h>

#include <cstdio>
#include <stdexcept>

namespace qelt::tools
{

namespace
{

void putUint32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(uint8_t(value >> shift));
}

void putText(std::vector<uint8_t>& out, const std::string& text)
{
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
}

} // namespace

std::vector<uint8_t> buildPackage(const std::vector<cPackItem>& items)
{
    std::vector<uint8_t> body;
    uint32_t fileCount = 0, totalUnpacked = 0, totalPacked = 0;
    for (const cPackItem& item : items)
    {
        if (item.kind == cPackItem::Folder)
        {
            putUint32(body, package::Folder);
            putText(body, item.name);
            continue;
        }
        uLongf packedSize = compressBound(uLong(item.data.size()));
        std::vector<uint8_t> packed(packedSize);
        if (compress(packed.data(), &packedSize, item.data.data(), uLong(item.data.size())) != Z_OK)
            throw std::runtime_error("zlib cannot compress \"" + item.name + "\"");
        putUint32(body, package::File);
        putText(body, item.name);
        putUint32(body, package::kMethodZlib);
        putUint32(body, uint32_t(item.data.size()));
        putUint32(body, uint32_t(packedSize));
        body.insert(body.end(), packed.begin(), packed.begin() + packedSize);
        ++fileCount;
        totalUnpacked += uint32_t(item.data.size());
        totalPacked += uint32_t(packedSize);
    }
    putUint32(body, package::End);

    std::vector<uint8_t> out;
    putUint32(out, package::kMagic);
    putUint32(out, package::kVersion);
    putUint32(out, 0);
    putUint32(out, fileCount);
    putUint32(out, totalUnpacked);
    putUint32(out, totalPacked);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

std::vector<uint8_t> buildArchive(const std::vector<cArchiveItem>& items)
{
    std::vector<uint8_t> out;
    for (const cArchiveItem& item : items)
    {
        putText(out, item.name);
        putUint32(out, uint32_t(item.data.size()));
        out.insert(out.end(), item.data.begin(), item.data.end());
    }
    out.push_back(0);
    return out;
}

bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string* error)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
    {
        if (error)
            *error = "cannot open \"" + path + "\"";
        return false;
    }
    bytes.clear();
    uint8_t block[65536];
    std::size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0)
        bytes.insert(bytes.end(), block, block + got);
    bool ok = !std::ferror(file);
    std::fclose(file);
    if (!ok && error)
        *error = "cannot read \"" + path + "\"";
    return ok;
}

bool writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error)
{
    std::string temporary = path + ".writing";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    bool ok = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file)
        ok = (std::fclose(file) == 0) && ok;
    if (ok && std::rename(temporary.c_str(), path.c_str()) == 0)
        return true;
    std::remove(temporary.c_str());
    if (error)
        *error = "cannot write \"" + path + "\"";
    return false;
}

} // namespace qelt::tools

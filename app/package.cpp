// Unpacking the library package: folders and zlib-compressed files below a target folder.
#include "app/package.h"

#include "core/file.h"
#include "platform/path.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string_view>

namespace qelt
{

namespace
{

// Deflate cannot shrink data by more than about 1032:1, so a stated unpacked size beyond this
// is a lie that would otherwise cost a huge allocation.
constexpr uint64_t kMaxDeflateRatio = 1032;
// Packed bytes are read in blocks of this size so that progress moves during a large entry.
constexpr std::size_t kBlockSize = 4096;

// A buffer reused from entry to entry; it grows but is never cleared, since every byte handed
// out is written before it is read.
class cScratch
{
  public:
    uint8_t* reserve(std::size_t size)
    {
        if (size > capacity_)
        {
            bytes_ = std::make_unique_for_overwrite<uint8_t[]>(size);
            capacity_ = size;
        }
        return bytes_.get();
    }

  private:
    std::unique_ptr<uint8_t[]> bytes_;
    std::size_t capacity_ = 0;
};

struct Unpacker
{
    Unpacker(const PackageProgress& progress, std::string* error) : progress(progress), error(error)
    {
    }

    const PackageProgress& progress;
    std::string* error;
    uint32_t totalPacked = 0;
    uint64_t packedRead = 0;
    cScratch packed;   // one entry's packed bytes
    cScratch unpacked; // one entry's unpacked bytes

    bool fail(const std::string& reason)
    {
        if (error)
            *error = reason;
        return false;
    }

    void report(const std::string& path)
    {
        if (!progress)
            return;
        float percent = totalPacked ? float(double(packedRead) * 100.0 / totalPacked) : 0.0f;
        progress("Loading", path, std::min(percent, 100.0f));
    }
};

// A name is taken only when it stays below the target folder: no leading separator, no drive
// prefix, no ".." folder.
bool isSafeEntryName(std::string_view name)
{
    if (name.empty() || name.front() == '/' || name.front() == '\\')
        return false;
    if (name.find(':') != std::string_view::npos)
        return false;
    std::size_t start = 0;
    while (start <= name.size())
    {
        std::size_t end = name.find_first_of("/\\", start);
        if (end == std::string_view::npos)
            end = name.size();
        if (name.substr(start, end - start) == "..")
            return false;
        start = end + 1;
    }
    return true;
}

int64_t bytesLeft(cFile& source)
{
    int64_t position = source.tell();
    int64_t size = source.size();
    return position < 0 || size < position ? 0 : size - position;
}

// The entry's file while it is written: a temporary name beside the final one, renamed when
// complete and removed otherwise, so a failure never leaves a cut file and a reader never sees
// a half-written library.
class cEntryOutput
{
  public:
    explicit cEntryOutput(const std::string& path)
        : final_(platform::toNativeSeparators(path)), temporary_(final_ + ".unpacking"),
          file_(std::fopen(temporary_.c_str(), "wb"))
    {
    }
    ~cEntryOutput()
    {
        if (file_)
        {
            std::fclose(file_);
            std::remove(temporary_.c_str());
        }
    }

    bool isOpen() const { return file_ != nullptr; }
    bool write(const uint8_t* data, std::size_t size)
    {
        return std::fwrite(data, 1, size, file_) == size;
    }
    bool commit()
    {
        bool closed = std::fclose(file_) == 0;
        file_ = nullptr;
        if (closed && std::rename(temporary_.c_str(), final_.c_str()) == 0)
            return true;
        std::remove(temporary_.c_str());
        return false;
    }

  private:
    std::string final_;
    std::string temporary_;
    std::FILE* file_; // owned
};

// Reads packedSize bytes in blocks (so progress moves during a large entry), inflates them in one
// call as zlib inflates fastest, and writes the result, which must be exactly unpackedSize bytes.
bool unpackEntry(Unpacker& unpacker, cFile& source, const std::string& path, uint32_t packedSize,
                 uint32_t unpackedSize)
{
    uint8_t* packed = unpacker.packed.reserve(packedSize);
    for (uint32_t done = 0; done < packedSize;)
    {
        std::size_t n = std::min<std::size_t>(kBlockSize, packedSize - done);
        if (source.read(packed + done, n) != n)
            return unpacker.fail("package entry \"" + path + "\" is cut short");
        done += uint32_t(n);
        unpacker.packedRead += n;
        unpacker.report(path);
    }

    // One byte more than stated catches a stream that inflates to more.
    std::size_t room = std::size_t(unpackedSize) + 1;
    uint8_t* unpacked = unpacker.unpacked.reserve(room);
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        return unpacker.fail("zlib cannot start inflating");
    zs.next_in = packed;
    zs.avail_in = packedSize;
    zs.next_out = unpacked;
    zs.avail_out = uInt(std::min<std::size_t>(room, UINT32_MAX));
    int result = inflate(&zs, Z_FINISH);
    uint64_t produced = zs.total_out;
    inflateEnd(&zs);

    if (produced > unpackedSize)
        return unpacker.fail("package entry \"" + path + "\" inflates to more than " +
                             std::to_string(unpackedSize) + " bytes");
    if (result != Z_STREAM_END)
        return unpacker.fail("package entry \"" + path + "\" holds a damaged zlib stream");
    if (produced != unpackedSize)
        return unpacker.fail("package entry \"" + path + "\" inflates to " +
                             std::to_string(produced) + " bytes instead of " +
                             std::to_string(unpackedSize));

    cEntryOutput output(path);
    if (!output.isOpen())
        return unpacker.fail("cannot create \"" + path + "\"");
    if (!output.write(unpacked, unpackedSize) || !output.commit())
        return unpacker.fail("cannot write \"" + path + "\"");
    return true;
}

bool extractFile(Unpacker& unpacker, cFile& source, const std::string& base)
{
    std::string name = source.readText();
    uint32_t method = source.readUint32();
    uint32_t unpackedSize = source.readUint32();
    uint32_t packedSize = source.readUint32();
    if (method != package::kMethodZlib)
        return unpacker.fail("package entry \"" + name + "\" uses unknown method " +
                             std::to_string(method));
    if (!isSafeEntryName(name))
        return unpacker.fail("package entry name \"" + name + "\" leaves the target folder");
    std::string path = base + name;
    if (path.size() > package::kMaxPath)
        return unpacker.fail("package entry path \"" + path + "\" is too long");
    if (packedSize > bytesLeft(source))
        return unpacker.fail("package entry \"" + name + "\" runs past the end of the package");
    if (unpackedSize > uint64_t(packedSize) * kMaxDeflateRatio + 64)
        return unpacker.fail("package entry \"" + name + "\" states an impossible size");
    if (!unpackEntry(unpacker, source, path, packedSize, unpackedSize))
        return false;
    unpacker.report(path);
    return true;
}

bool extractFolder(Unpacker& unpacker, cFile& source, const std::string& base)
{
    std::string name = source.readText();
    if (!isSafeEntryName(name))
        return unpacker.fail("package folder name \"" + name + "\" leaves the target folder");
    std::string path = base + name;
    if (path.size() > package::kMaxPath)
        return unpacker.fail("package folder path \"" + path + "\" is too long");
    // An existing folder is fine; a failure shows when a file is written into it.
    platform::createFolder(path);
    unpacker.report(path);
    return true;
}

// Reads the magic and, for version 2, the header words; returns the total packed size, or
// nothing when the magic is wrong.
std::optional<uint32_t> readHeader(cFile& source)
{
    if (source.readUint32() != package::kMagic)
        return std::nullopt;
    uint32_t totalPacked = 0;
    if (source.readUint32() == package::kVersion)
    {
        source.readUint32(); // reserved
        source.readUint32(); // file entry count
        source.readUint32(); // total unpacked size
        totalPacked = source.readUint32();
    }
    return totalPacked;
}

} // namespace

bool extractPackage(const std::string& targetFolder, cFile& source, const PackageProgress& progress,
                    std::string* error)
{
    Unpacker unpacker{progress, error};
    std::string base = targetFolder;
    if (!base.empty() && base.back() != '/' && base.back() != ':' && base.back() != '\\')
        base += '/';

    try
    {
        std::optional<uint32_t> totalPacked = readHeader(source);
        if (!totalPacked)
            return unpacker.fail("not a package (wrong magic)");
        unpacker.totalPacked = *totalPacked;
        while (!source.eof())
        {
            uint32_t type = source.readUint32();
            switch (type)
            {
            case package::End:
                return true;
            case package::Folder:
                if (!extractFolder(unpacker, source, base))
                    return false;
                break;
            case package::File:
                if (!extractFile(unpacker, source, base))
                    return false;
                break;
            default:
                return unpacker.fail("unknown package entry type " + std::to_string(type));
            }
        }
        return true;
    }
    catch (const cFileException& exception)
    {
        return unpacker.fail("package is cut short (a read of " +
                             std::to_string(exception.byteCount) + " bytes failed)");
    }
}

bool listPackage(cFile& source, std::vector<cPackageEntryInfo>& entries, std::string* error)
{
    auto fail = [&](const std::string& reason)
    {
        if (error)
            *error = reason;
        return false;
    };
    try
    {
        if (!readHeader(source))
            return fail("not a package (wrong magic)");
        while (!source.eof())
        {
            cPackageEntryInfo entry;
            entry.type = source.readUint32();
            if (entry.type == package::End)
                return true;
            if (entry.type != package::Folder && entry.type != package::File)
                return fail("unknown package entry type " + std::to_string(entry.type));
            entry.name = source.readText();
            if (entry.type == package::File)
            {
                source.readUint32(); // method
                entry.unpackedSize = source.readUint32();
                entry.packedSize = source.readUint32();
                if (entry.packedSize > bytesLeft(source))
                    return fail("package entry \"" + entry.name +
                                "\" runs past the end of the package");
                source.seek(entry.packedSize, cFile::Current);
            }
            entries.push_back(std::move(entry));
        }
        return true;
    }
    catch (const cFileException&)
    {
        return fail("package is cut short");
    }
}

} // namespace qelt

// The resource block appended to a program file: finding and checking it, reading it through a
// read-only mapping, and rewriting it beside an appended scene.
//
// Block layout, all numbers little-endian, offsets from the start of the file:
//   entries' bytes, one after another
//   directory: per entry u16 type length, type, u16 name length, name, u16 language,
//              u64 offset, u64 size
//   footer (40 bytes): u64 block start, u64 directory offset, u64 directory size,
//                      u32 entry count, u32 format version, 8-byte magic
// The footer ends the block. The magic's last byte is not the scene filler byte, so the block's
// end can be found by skipping the filler back from an appended scene.
#include "platform/resources.h"

#include "platform/path.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace qelt::platform
{

namespace
{

constexpr uint8_t kMagic[8] = {'Q', 'E', 'L', 'T', 'R', 'E', 'S', '1'};
static_assert(kMagic[7] != cSceneTrailer::kFiller, "the block's end must not look like filler");
constexpr uint32_t kVersion = 1;
constexpr uint64_t kFooterSize = 40;
// Two empty strings with their lengths, the language, the offset and the size.
constexpr uint64_t kSmallestDirectoryEntry = 2 + 2 + 2 + 8 + 8;
constexpr uint64_t kMaxFiller = cSceneTrailer::kAlignment - 1;

// ---------------------------------------------------------------------------------------------
// Little-endian numbers
// ---------------------------------------------------------------------------------------------

uint64_t readLittle(const uint8_t* bytes, int count)
{
    uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
    {
        value = (value << 8) | bytes[i];
    }
    return value;
}

void appendLittle(std::vector<uint8_t>* out, uint64_t value, int count)
{
    for (int i = 0; i < count; ++i)
    {
        out->push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

void setError(std::string* error, const std::string& text)
{
    if (error != nullptr)
    {
        *error = text;
    }
}

// Reads the directory one field at a time; every read is checked against the directory's end.
class cDirectoryCursor
{
  public:
    cDirectoryCursor(const uint8_t* file, uint64_t position, uint64_t end)
        : file_(file), position_(position), end_(end)
    {
    }

    bool number(int count, uint64_t* value)
    {
        if (end_ - position_ < static_cast<uint64_t>(count))
        {
            return false;
        }
        *value = readLittle(file_ + position_, count);
        position_ += count;
        return true;
    }

    bool text(std::string* value)
    {
        uint64_t length = 0;
        if (!number(2, &length) || end_ - position_ < length)
        {
            return false;
        }
        value->assign(reinterpret_cast<const char*>(file_ + position_), length);
        position_ += length;
        return true;
    }

    uint64_t left() const { return end_ - position_; }

  private:
    const uint8_t* file_;
    uint64_t position_;
    uint64_t end_;
};

// ---------------------------------------------------------------------------------------------
// A read-only mapping of a whole file
// ---------------------------------------------------------------------------------------------

class cMappedFile
{
  public:
    cMappedFile() = default;
    cMappedFile(const cMappedFile&) = delete;
    cMappedFile& operator=(const cMappedFile&) = delete;
    ~cMappedFile()
    {
        if (data_ != nullptr)
        {
            ::munmap(const_cast<uint8_t*>(data_), size_);
        }
    }

    bool open(const std::string& path, std::string* error)
    {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
        {
            setError(error, "cannot open " + path + ": " + std::strerror(errno));
            return false;
        }
        bool ok = ::fstat(fd, &info_) == 0 && S_ISREG(info_.st_mode);
        if (!ok)
        {
            setError(error, path + " is not a regular file");
        }
        size_ = ok ? static_cast<uint64_t>(info_.st_size) : 0;
        if (ok && size_ > 0)
        {
            void* data = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
            ok = data != MAP_FAILED;
            if (ok)
            {
                data_ = static_cast<const uint8_t*>(data);
            }
            else
            {
                setError(error, "cannot map " + path + ": " + std::strerror(errno));
            }
        }
        ::close(fd);
        return ok;
    }

    // Hands the mapping over; the caller unmaps it.
    const uint8_t* release()
    {
        const uint8_t* data = data_;
        data_ = nullptr;
        return data;
    }

    const uint8_t* data() const { return data_; }
    uint64_t size() const { return size_; }
    const struct stat& info() const { return info_; }

  private:
    const uint8_t* data_ = nullptr;
    uint64_t size_ = 0;
    struct stat info_
    {
    };
};

int64_t modifiedNanoseconds(const struct stat& info)
{
    return static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Finding and checking the block
// ---------------------------------------------------------------------------------------------

bool parseResourceLayout(const uint8_t* file, uint64_t size, cResourceLayout* layout,
                         std::string* error)
{
    *layout = cResourceLayout{};
    if (file == nullptr && size > 0)
    {
        setError(error, "no file image");
        return false;
    }
    layout->scene = findSceneTrailer(file, size);

    // The block ends at the file's end, or in front of the filler before an appended scene.
    uint64_t end = size;
    if (layout->scene)
    {
        end = layout->scene->offset;
        for (uint64_t skipped = 0;
             skipped < kMaxFiller && end > 0 && file[end - 1] == cSceneTrailer::kFiller; ++skipped)
        {
            --end;
        }
    }
    layout->blockStart = layout->scene ? layout->scene->offset : size;
    layout->blockEnd = layout->blockStart;
    if (end < kFooterSize || std::memcmp(file + end - sizeof kMagic, kMagic, sizeof kMagic) != 0)
    {
        return true;
    }

    const uint64_t footer = end - kFooterSize;
    const uint64_t blockStart = readLittle(file + footer, 8);
    const uint64_t directoryOffset = readLittle(file + footer + 8, 8);
    const uint64_t directorySize = readLittle(file + footer + 16, 8);
    const uint64_t count = readLittle(file + footer + 24, 4);
    const uint64_t version = readLittle(file + footer + 28, 4);
    if (version != kVersion)
    {
        setError(error, "resource block has unknown format version " + std::to_string(version));
        return false;
    }
    if (blockStart > directoryOffset || directoryOffset > footer ||
        directorySize != footer - directoryOffset)
    {
        setError(error, "resource block footer is damaged (offsets outside the block)");
        return false;
    }
    // Checked before anything is allocated for the entries.
    if (count > directorySize / kSmallestDirectoryEntry)
    {
        setError(error, "resource directory claims " + std::to_string(count) +
                            " entries but holds only " + std::to_string(directorySize) + " bytes");
        return false;
    }

    layout->entries.reserve(static_cast<std::size_t>(count));
    cDirectoryCursor cursor(file, directoryOffset, footer);
    for (uint64_t i = 0; i < count; ++i)
    {
        cResourceEntry entry;
        uint64_t language = 0;
        if (!cursor.text(&entry.type) || !cursor.text(&entry.name) ||
            !cursor.number(2, &language) || !cursor.number(8, &entry.offset) ||
            !cursor.number(8, &entry.size))
        {
            setError(error, "resource directory entry " + std::to_string(i) + " is truncated");
            return false;
        }
        entry.language = static_cast<uint16_t>(language);
        if (entry.offset < blockStart || entry.offset > directoryOffset ||
            entry.size > directoryOffset - entry.offset)
        {
            setError(error, "resource \"" + entry.type + "/" + entry.name +
                                "\" lies outside the resource block");
            return false;
        }
        layout->entries.push_back(std::move(entry));
    }
    if (cursor.left() != 0)
    {
        setError(error, "resource directory has " + std::to_string(cursor.left()) +
                            " bytes after its last entry");
        return false;
    }
    layout->hasBlock = true;
    layout->blockStart = blockStart;
    layout->blockEnd = end;
    return true;
}

// ---------------------------------------------------------------------------------------------
// cResourceReader
// ---------------------------------------------------------------------------------------------

cResourceReader::~cResourceReader()
{
    if (mapping_ != nullptr)
    {
        ::munmap(const_cast<uint8_t*>(mapping_), mappingSize_);
    }
}

std::unique_ptr<cResourceReader> cResourceReader::open(const std::string& path, std::string* error)
{
    cMappedFile file;
    if (!file.open(resolvePath(path), error))
    {
        return nullptr;
    }
    cResourceLayout layout;
    std::string why;
    if (!parseResourceLayout(file.data(), file.size(), &layout, &why))
    {
        setError(error, path + ": " + why);
        return nullptr;
    }
    std::unique_ptr<cResourceReader> reader(new cResourceReader);
    reader->mappingSize_ = file.size();
    reader->mapping_ = file.release();
    reader->entries_ = std::move(layout.entries);
    return reader;
}

const cResourceEntry* cResourceReader::find(const std::string& type, const std::string& name) const
{
    for (const cResourceEntry& entry : entries_)
    {
        if (entry.type == type && entry.name == name)
        {
            return &entry;
        }
    }
    return nullptr;
}

const uint8_t* cResourceReader::bytes(const cResourceEntry& entry) const
{
    if (mapping_ == nullptr || entry.offset > mappingSize_ ||
        entry.size > mappingSize_ - entry.offset)
    {
        return nullptr;
    }
    return mapping_ + entry.offset;
}

// ---------------------------------------------------------------------------------------------
// cResourceUpdate
// ---------------------------------------------------------------------------------------------

namespace
{

// Writes the new file piece by piece; the first failure sticks.
class cFileWriter
{
  public:
    explicit cFileWriter(int fd) : fd_(fd) {}

    void write(const uint8_t* data, uint64_t size)
    {
        while (ok_ && size > 0)
        {
            const ssize_t written = ::write(fd_, data, size);
            if (written < 0 && errno == EINTR)
            {
                continue;
            }
            if (written <= 0)
            {
                ok_ = false;
                error_ = std::strerror(errno);
                return;
            }
            data += written;
            size -= static_cast<uint64_t>(written);
            position_ += static_cast<uint64_t>(written);
        }
    }

    void write(const std::vector<uint8_t>& bytes) { write(bytes.data(), bytes.size()); }

    bool ok() const { return ok_; }
    uint64_t position() const { return position_; }
    const std::string& error() const { return error_; }

  private:
    int fd_;
    bool ok_ = true;
    uint64_t position_ = 0;
    std::string error_;
};

} // namespace

bool cResourceUpdate::begin(const std::string& path, bool deleteExisting)
{
    begun_ = false;
    entries_.clear();
    error_.clear();

    // Follow links so the rename in commit replaces the file, not the link.
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::canonical(resolvePath(path), ec);
    path_ = ec ? resolvePath(path) : real.string();

    cMappedFile file;
    if (!file.open(path_, &error_))
    {
        return false;
    }
    std::string why;
    if (!parseResourceLayout(file.data(), file.size(), &layout_, &why))
    {
        error_ = path + ": " + why;
        return false;
    }
    fileSize_ = file.size();
    fileModified_ = modifiedNanoseconds(file.info());
    if (!deleteExisting)
    {
        for (const cResourceEntry& entry : layout_.entries)
        {
            Pending kept;
            kept.type = entry.type;
            kept.name = entry.name;
            kept.language = entry.language;
            kept.kept = true;
            kept.oldOffset = entry.offset;
            kept.oldSize = entry.size;
            entries_.push_back(std::move(kept));
        }
    }
    layout_.entries.clear();
    begun_ = true;
    return true;
}

void cResourceUpdate::update(const std::string& type, const std::string& name, uint16_t language,
                             std::vector<uint8_t> data)
{
    for (auto it = entries_.begin(); it != entries_.end(); ++it)
    {
        if (it->type == type && it->name == name && it->language == language)
        {
            if (data.empty())
            {
                entries_.erase(it);
            }
            else
            {
                it->data = std::move(data);
                it->kept = false;
            }
            return;
        }
    }
    if (!data.empty())
    {
        entries_.push_back({type, name, language, std::move(data), false, 0, 0});
    }
}

bool cResourceUpdate::commit()
{
    if (!begun_)
    {
        error_ = "resource update committed without a successful begin";
        return false;
    }
    for (const Pending& entry : entries_)
    {
        if (entry.type.empty() || entry.name.empty() || entry.type.size() > UINT16_MAX ||
            entry.name.size() > UINT16_MAX)
        {
            error_ = "resource type and name must be 1 to 65535 bytes long";
            return false;
        }
    }

    cMappedFile old;
    if (!old.open(path_, &error_))
    {
        return false;
    }
    if (old.size() != fileSize_ || modifiedNanoseconds(old.info()) != fileModified_)
    {
        error_ = path_ + " changed since the resource update began";
        return false;
    }

    // The directory is laid out first, so the footer and the scene's new place are known.
    const uint64_t blockStart = layout_.blockStart;
    uint64_t position = blockStart;
    std::vector<uint8_t> directory;
    for (const Pending& entry : entries_)
    {
        const uint64_t size = entry.kept ? entry.oldSize : entry.data.size();
        appendLittle(&directory, entry.type.size(), 2);
        directory.insert(directory.end(), entry.type.begin(), entry.type.end());
        appendLittle(&directory, entry.name.size(), 2);
        directory.insert(directory.end(), entry.name.begin(), entry.name.end());
        appendLittle(&directory, entry.language, 2);
        appendLittle(&directory, position, 8);
        appendLittle(&directory, size, 8);
        position += size;
    }
    std::vector<uint8_t> footer;
    appendLittle(&footer, blockStart, 8);
    appendLittle(&footer, position, 8);
    appendLittle(&footer, directory.size(), 8);
    appendLittle(&footer, entries_.size(), 4);
    appendLittle(&footer, kVersion, 4);
    footer.insert(footer.end(), kMagic, kMagic + sizeof kMagic);
    const uint64_t blockEnd = position + directory.size() + footer.size();

    cSceneTrailer newScene;
    if (layout_.scene)
    {
        const uint64_t offset =
            (blockEnd + kMaxFiller) / cSceneTrailer::kAlignment * cSceneTrailer::kAlignment;
        if (offset > UINT32_MAX)
        {
            error_ = "program and resources too large to keep the appended scene";
            return false;
        }
        newScene = {static_cast<uint32_t>(offset), layout_.scene->size};
    }

    const std::filesystem::path target(path_);
    const std::string tempName =
        (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    std::vector<char> tempPath(tempName.begin(), tempName.end());
    tempPath.push_back('\0');
    const int fd = ::mkstemp(tempPath.data());
    if (fd < 0)
    {
        error_ = "cannot create a file beside " + path_ + ": " + std::strerror(errno);
        return false;
    }

    cFileWriter writer(fd);
    writer.write(old.data(), blockStart);
    for (const Pending& entry : entries_)
    {
        if (entry.kept)
        {
            writer.write(old.data() + entry.oldOffset, entry.oldSize);
        }
        else
        {
            writer.write(entry.data);
        }
    }
    writer.write(directory);
    writer.write(footer);
    if (layout_.scene)
    {
        const std::vector<uint8_t> filler(newScene.offset - blockEnd, cSceneTrailer::kFiller);
        writer.write(filler);
        writer.write(old.data() + layout_.scene->offset, layout_.scene->size);
        uint8_t trailer[cSceneTrailer::kSize];
        encodeSceneTrailer(newScene, trailer);
        writer.write(trailer, sizeof trailer);
    }

    bool ok = writer.ok();
    if (!ok)
    {
        error_ = "cannot write " + std::string(tempPath.data()) + ": " + writer.error();
    }
    if (ok && (::fchmod(fd, old.info().st_mode & 07777) != 0 || ::fsync(fd) != 0))
    {
        error_ = "cannot finish " + std::string(tempPath.data()) + ": " + std::strerror(errno);
        ok = false;
    }
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(tempPath.data(), path_.c_str()) != 0)
    {
        error_ = "cannot replace " + path_ + ": " + std::strerror(errno);
        ok = false;
    }
    if (!ok)
    {
        if (error_.empty())
        {
            error_ = "cannot close " + std::string(tempPath.data());
        }
        ::unlink(tempPath.data());
        return false;
    }
    // The old offsets are gone with the old file; another update starts with begin.
    begun_ = false;
    entries_.clear();
    return true;
}

} // namespace qelt::platform

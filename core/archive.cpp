// The scene archive index and the file window onto one of its entries.
#include "core/archive.h"

#include "core/progress.h"

#include <algorithm>

namespace qelt
{

namespace
{

std::string foldCase(const std::string& name)
{
    std::string folded = name;
    for (char& c : folded)
    {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return folded;
}

} // namespace

// ---- cArchiveIndex ---------------------------------------------------------------------------

bool cArchiveIndex::build(cFile& file, cProgress* progress, std::string* error)
{
    entries_.clear();
    firstByFoldedName_.clear();

    auto fail = [&](const std::string& reason)
    {
        if (error)
            *error = reason;
        return false;
    };

    int64_t fileSize = file.size();
    if (fileSize < 0 || !file.seek(0, cFile::Begin))
        return fail("archive cannot be read");
    if (progress)
        progress->setTotal(float(fileSize));

    try
    {
        for (;;)
        {
            std::string name = file.readText();
            if (name.empty())
                return true;
            uint32_t size = file.readUint32();
            int64_t offset = file.tell();
            // Offsets are 32-bit in the index, and an entry must lie inside the file.
            if (offset < 0 || offset > int64_t(UINT32_MAX) || offset + int64_t(size) > fileSize)
                return fail("archive entry \"" + name + "\" runs past the end of the archive");
            firstByFoldedName_.try_emplace(foldCase(name), entries_.size());
            entries_.push_back({std::move(name), uint32_t(offset), size});
            if (!file.seek(size, cFile::Current))
                return fail("archive cannot be read");
        }
    }
    catch (const cFileException&)
    {
        return fail("archive ends inside the size of an entry");
    }
}

const cArchiveIndex::Entry* cArchiveIndex::find(const std::string& name) const
{
    auto found = firstByFoldedName_.find(foldCase(name));
    return found == firstByFoldedName_.end() ? nullptr : &entries_[found->second];
}

// ---- cArchiveFile ----------------------------------------------------------------------------

cArchiveFile::cArchiveFile(std::unique_ptr<cFile> source, uint32_t offset, uint32_t size,
                           cProgress* progress)
    : source_(std::move(source)), offset_(offset), size_(size), progress_(progress)
{
}

cFile* cArchiveFile::clone() const
{
    cFile* sourceClone = source_->clone();
    if (!sourceClone)
        return nullptr;
    auto* copy = new cArchiveFile(std::unique_ptr<cFile>(sourceClone), offset_, size_, progress_);
    return copy;
}

std::size_t cArchiveFile::read(void* buffer, std::size_t n)
{
    n = std::min<std::size_t>(n, size_ - position_);
    if (n == 0 || !source_->seek(int64_t(offset_) + position_, Begin))
        return 0;
    std::size_t got = source_->read(buffer, n);
    position_ += uint32_t(got);
    if (progress_)
        progress_->advance(float(got));
    return got;
}

bool cArchiveFile::write(const void*, std::size_t)
{
    return false;
}

bool cArchiveFile::seek(int64_t offset, Origin origin)
{
    int64_t base = origin == Begin ? 0 : origin == Current ? int64_t(position_) : int64_t(size_);
    int64_t target = base + offset;
    if (target < 0)
        return false;
    position_ = uint32_t(std::min<int64_t>(target, size_));
    return source_->seek(int64_t(offset_) + position_, Begin);
}

bool cArchiveFile::flush()
{
    return false;
}

int64_t cArchiveFile::tell()
{
    return position_;
}

int64_t cArchiveFile::size()
{
    return size_;
}

bool cArchiveFile::eof()
{
    return position_ == size_;
}

std::unique_ptr<cArchiveFile> openArchiveEntry(const cArchiveIndex& index, const cFile& archiveFile,
                                               const std::string& name, cProgress* progress)
{
    const cArchiveIndex::Entry* entry = index.find(name);
    if (!entry)
        return nullptr;
    std::unique_ptr<cFile> source(archiveFile.clone());
    if (!source)
        return nullptr;
    return std::make_unique<cArchiveFile>(std::move(source), entry->offset, entry->size, progress);
}

} // namespace qelt

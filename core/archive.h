// The scene archive: a flat sequence of named entries, indexed once and read on demand.
#pragma once

#include "core/file.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace qelt
{

class cProgress;

// The directory of one archive: (name, offset, size) in archive order, and a case-insensitive
// map to the first entry of each name, so lookups do not scan.
class cArchiveIndex
{
  public:
    struct Entry
    {
        std::string name;
        uint32_t offset = 0; // of the first data byte from the start of the archive
        uint32_t size = 0;
    };

    // Reads the directory from the start of file. An entry whose size runs past the end of the
    // file stops the build with false and a message in error; entries before it stay.
    // The progress, when given, receives the file's size as its total.
    bool build(cFile& file, cProgress* progress = nullptr, std::string* error = nullptr);

    const std::vector<Entry>& entries() const { return entries_; }
    // The first entry of that name, compared without regard to case; null when missing.
    const Entry* find(const std::string& name) const;

  private:
    std::vector<Entry> entries_;
    std::unordered_map<std::string, std::size_t> firstByFoldedName_;
};

// One archive entry seen as a file: a window onto its own clone of the archive's file.
class cArchiveFile : public cFile
{
  public:
    // Takes ownership of source. The progress (not owned) is advanced by every byte read.
    cArchiveFile(std::unique_ptr<cFile> source, uint32_t offset, uint32_t size,
                 cProgress* progress = nullptr);

    cFile* clone() const override;
    std::size_t read(void* buffer, std::size_t n) override;
    bool write(const void* buffer, std::size_t n) override;
    bool seek(int64_t offset, Origin origin) override;
    bool flush() override;
    int64_t tell() override;
    int64_t size() override;
    bool eof() override;

    // Forgets the progress, for when the load that reported to it ends.
    void releaseProgress() { progress_ = nullptr; }

  private:
    std::unique_ptr<cFile> source_; // owned clone of the archive's file
    uint32_t offset_;
    uint32_t size_;
    uint32_t position_ = 0;
    cProgress* progress_; // not owned, optional
};

// Opens an entry of the archive read through archiveFile: null when the index has no such name.
std::unique_ptr<cArchiveFile> openArchiveEntry(const cArchiveIndex& index, const cFile& archiveFile,
                                               const std::string& name,
                                               cProgress* progress = nullptr);

} // namespace qelt

// A read-only file over a block of memory that it does not own.
#pragma once

#include "core/file.h"

namespace qelt
{

// The data must outlive the file and its clones. Writes fail.
class cFileMemory : public cFile
{
public:
    cFileMemory(const void* data, std::size_t size);

    cFile* clone() const override;
    std::size_t read(void* buffer, std::size_t n) override;
    bool write(const void* buffer, std::size_t n) override;
    bool seek(int64_t offset, Origin origin) override;
    bool flush() override;
    int64_t tell() override;
    int64_t size() override;
    bool eof() override;

private:
    const uint8_t* data_; // not owned
    std::size_t size_;
    std::size_t position_ = 0;
};

} // namespace qelt

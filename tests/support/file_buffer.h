// A readable and writable file in memory that grows as it is written, for tests, fuzzers and
// benchmarks that write a stream and read it back.
#pragma once

#include "core/file.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace qelt::testing
{

class cFileBuffer : public cFile
{
public:
    cFileBuffer() = default;
    explicit cFileBuffer(std::vector<uint8_t> data) : bytes(std::move(data)) {}

    cFile* clone() const override { return new cFileBuffer(*this); }
    std::size_t read(void* buffer, std::size_t n) override
    {
        const std::size_t count = std::min(n, bytes.size() - std::min(position_, bytes.size()));
        if (count > 0)
            std::memcpy(buffer, bytes.data() + position_, count);
        position_ += count;
        return count;
    }
    bool write(const void* buffer, std::size_t n) override
    {
        if (position_ + n > bytes.size())
            bytes.resize(position_ + n);
        if (n > 0)
            std::memcpy(bytes.data() + position_, buffer, n);
        position_ += n;
        return true;
    }
    bool seek(int64_t offset, Origin origin) override
    {
        const int64_t base = origin == Begin     ? 0
                             : origin == Current ? static_cast<int64_t>(position_)
                                                 : static_cast<int64_t>(bytes.size());
        if (base + offset < 0 || base + offset > static_cast<int64_t>(bytes.size()))
            return false;
        position_ = static_cast<std::size_t>(base + offset);
        return true;
    }
    bool flush() override { return true; }
    int64_t tell() override { return static_cast<int64_t>(position_); }
    int64_t size() override { return static_cast<int64_t>(bytes.size()); }
    bool eof() override { return position_ >= bytes.size(); }

    std::vector<uint8_t> bytes;

private:
    std::size_t position_ = 0;
};

} // namespace qelt::testing

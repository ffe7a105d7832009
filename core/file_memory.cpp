// A read-only file over a block of memory that it does not own.
#include "core/file_memory.h"

#include <algorithm>
#include <cstring>

namespace qelt
{

cFileMemory::cFileMemory(const void* data, std::size_t size)
    : data_(static_cast<const uint8_t*>(data)), size_(size)
{
}

cFile* cFileMemory::clone() const
{
    return new cFileMemory(data_, size_);
}

std::size_t cFileMemory::read(void* buffer, std::size_t n)
{
    const std::size_t count = std::min(n, size_ - position_);
    if (count > 0)
    {
        std::memcpy(buffer, data_ + position_, count);
        position_ += count;
    }
    return count;
}

bool cFileMemory::write(const void* buffer, std::size_t n)
{
    return false;
}

// A target before the start fails and leaves the position alone; one past the end stops at the
// end, as reading there would.
bool cFileMemory::seek(int64_t offset, Origin origin)
{
    int64_t base = 0;
    switch (origin)
    {
    case Begin:
        base = 0;
        break;
    case Current:
        base = static_cast<int64_t>(position_);
        break;
    case End:
        base = static_cast<int64_t>(size_);
        break;
    default:
        return false;
    }
    // The base is never negative, so only a positive offset can overflow.
    const int64_t target = offset > INT64_MAX - base ? INT64_MAX : base + offset;
    if (target < 0)
    {
        return false;
    }
    position_ = static_cast<uint64_t>(target) > size_ ? size_ : static_cast<std::size_t>(target);
    return true;
}

bool cFileMemory::flush()
{
    return false;
}

int64_t cFileMemory::tell()
{
    return static_cast<int64_t>(position_);
}

int64_t cFileMemory::size()
{
    return static_cast<int64_t>(size_);
}

bool cFileMemory::eof()
{
    return position_ == size_;
}

} // namespace qelt

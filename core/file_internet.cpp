// A read-only file fetched from an "http:" name, held in memory once fetched.
#include "core/file_internet.h"

#include <algorithm>
#include <cstring>

namespace qelt
{

cFileInternet::cFileInternet(std::string url, std::shared_ptr<const std::vector<uint8_t>> body)
    : url_(std::move(url)), body_(std::move(body))
{
}

cFileInternet* cFileInternet::open(const std::string& url, const platform::cHttpOptions& options,
                                   std::string* error)
{
    auto body = std::make_shared<std::vector<uint8_t>>();
    if (!platform::httpGet(url, options, *body, error))
        return nullptr;
    return new cFileInternet(url, std::move(body));
}

cFile* cFileInternet::clone() const
{
    return new cFileInternet(url_, body_);
}

std::size_t cFileInternet::read(void* buffer, std::size_t n)
{
    const std::size_t count = std::min(n, body_->size() - position_);
    if (count > 0)
    {
        std::memcpy(buffer, body_->data() + position_, count);
        position_ += count;
    }
    return count;
}

bool cFileInternet::write(const void*, std::size_t)
{
    return false;
}

// As a memory file: before the start fails, past the end stops at the end.
bool cFileInternet::seek(int64_t offset, Origin origin)
{
    const int64_t size = int64_t(body_->size());
    int64_t base = 0;
    switch (origin)
    {
    case Begin:
        base = 0;
        break;
    case Current:
        base = int64_t(position_);
        break;
    case End:
        base = size;
        break;
    default:
        return false;
    }
    const int64_t target = offset > INT64_MAX - base ? INT64_MAX : base + offset;
    if (target < 0)
        return false;
    position_ = std::size_t(std::min(target, size));
    return true;
}

bool cFileInternet::flush()
{
    return false;
}

int64_t cFileInternet::tell()
{
    return int64_t(position_);
}

int64_t cFileInternet::size()
{
    return int64_t(body_->size());
}

bool cFileInternet::eof()
{
    return position_ >= body_->size();
}

} // namespace qelt

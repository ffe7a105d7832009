// A disk file on C stdio that is created (or truncated) for writing and can be read back.
#include "core/file_stdio_writeable.h"

namespace qelt
{

// "w+b" rather than "wb": created or truncated all the same, and what was written can be read.
cFileStdioWriteable::cFileStdioWriteable(const std::string& path) : cFileStdio(path, "w+b") {}

// Output followed by input needs a flush, input followed by output a seek (C stdio's rule).
void cFileStdioWriteable::turnTo(Direction direction)
{
    if (last_ == Direction::Write && direction == Direction::Read)
        std::fflush(stream());
    else if (last_ == Direction::Read && direction == Direction::Write)
        fseeko(stream(), 0, SEEK_CUR);
    last_ = direction;
}

std::size_t cFileStdioWriteable::read(void* buffer, std::size_t n)
{
    turnTo(Direction::Read);
    return std::fread(buffer, 1, n, stream());
}

bool cFileStdioWriteable::write(const void* buffer, std::size_t n)
{
    turnTo(Direction::Write);
    return std::fwrite(buffer, 1, n, stream()) == n;
}

// A seek is itself the break C stdio asks for between the two directions.
bool cFileStdioWriteable::seek(int64_t offset, Origin origin)
{
    const bool moved = cFileStdio::seek(offset, origin);
    last_ = Direction::None;
    return moved;
}

// The base peeks a byte, which is a read.
bool cFileStdioWriteable::eof()
{
    turnTo(Direction::Read);
    return cFileStdio::eof();
}

} // namespace qelt

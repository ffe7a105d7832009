// A read-only disk file on C stdio, opened through the platform's name rules.
#include "core/file_stdio.h"

#include "platform/path.h"

namespace qelt
{

cFileStdio::cFileStdio(const std::string& path) : cFileStdio(path, "rb") {}

cFileStdio::cFileStdio(const std::string& path, const char* mode)
    : path_(path), stream_(platform::openFile(path, mode))
{
    if (stream_ == nullptr)
    {
        throw cFileException{cFileException::Open, 0};
    }
}

cFileStdio::~cFileStdio()
{
    std::fclose(stream_);
}

// Opens the path again for reading; a file that has gone since gives null.
cFile* cFileStdio::clone() const
{
    try
    {
        return new cFileStdio(path_);
    }
    catch (const cFileException&)
    {
        return nullptr;
    }
}

std::size_t cFileStdio::read(void* buffer, std::size_t n)
{
    return std::fread(buffer, 1, n, stream_);
}

bool cFileStdio::write(const void* buffer, std::size_t n)
{
    return false;
}

bool cFileStdio::seek(int64_t offset, Origin origin)
{
    int whence = SEEK_SET;
    switch (origin)
    {
    case Begin:
        whence = SEEK_SET;
        break;
    case Current:
        whence = SEEK_CUR;
        break;
    case End:
        whence = SEEK_END;
        break;
    default:
        return false;
    }
    return fseeko(stream_, static_cast<off_t>(offset), whence) == 0;
}

bool cFileStdio::flush()
{
    return std::fflush(stream_) == 0;
}

int64_t cFileStdio::tell()
{
    return static_cast<int64_t>(ftello(stream_));
}

int64_t cFileStdio::size()
{
    const off_t position = ftello(stream_);
    if (position < 0 || fseeko(stream_, 0, SEEK_END) != 0)
    {
        return -1;
    }
    const off_t end = ftello(stream_);
    fseeko(stream_, position, SEEK_SET);
    return static_cast<int64_t>(end);
}

// feof only turns true after a read has failed; peeking a byte tells at once whether any is left.
bool cFileStdio::eof()
{
    const int c = std::getc(stream_);
    if (c == EOF)
    {
        return true;
    }
    std::ungetc(c, stream_);
    return false;
}

} // namespace qelt

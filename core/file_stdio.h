// A read-only disk file on C stdio.
#pragma once

#include "core/file.h"

#include <cstdio>
#include <string>

namespace qelt
{

// Opens its path for binary reading in the constructor; throws cFileException(Open, 0) when
// that fails. Writes fail.
class cFileStdio : public cFile
{
public:
    explicit cFileStdio(const std::string& path);
    ~cFileStdio() override;

    cFile* clone() const override;
    std::size_t read(void* buffer, std::size_t n) override;
    bool write(const void* buffer, std::size_t n) override;
    bool seek(int64_t offset, Origin origin) override;
    bool flush() override;
    int64_t tell() override;
    int64_t size() override;
    bool eof() override;

    const std::string& path() const { return path_; }

protected:
    cFileStdio(const std::string& path, const char* mode);
    std::FILE* stream() { return stream_; }

private:
    std::string path_;
    std::FILE* stream_ = nullptr; // owned
};

} // namespace qelt

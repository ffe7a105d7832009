// A disk file on C stdio that is created (or truncated) for writing and can be read back.
#pragma once

#include "core/file_stdio.h"

namespace qelt
{

// C stdio needs a flush or a seek between writing and reading the same stream, so the file
// remembers which it did last and does that when the direction changes. Throws
// cFileException(Open, 0) when the file cannot be created.
class cFileStdioWriteable : public cFileStdio
{
  public:
    explicit cFileStdioWriteable(const std::string& path);

    std::size_t read(void* buffer, std::size_t n) override;
    bool write(const void* buffer, std::size_t n) override;
    bool seek(int64_t offset, Origin origin) override;
    bool eof() override;

  private:
    enum class Direction
    {
        None,
        Read,
        Write,
    };
    void turnTo(Direction direction);

    Direction last_ = Direction::None;
};

} // namespace qelt

// Whole-file copies on POSIX, telling a running target (ETXTBSY) apart from other failures.
#include "platform/file_copy.h"

#include "platform/path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qelt::platform
{

namespace
{

void setError(std::string* error, const std::string& text)
{
    if (error != nullptr)
    {
        *error = text;
    }
}

// Closes a descriptor when it goes out of scope.
struct cDescriptor
{
    int fd = -1;
    ~cDescriptor()
    {
        if (fd >= 0)
        {
            ::close(fd);
        }
    }
};

bool writeAll(int fd, const char* data, ssize_t size)
{
    while (size > 0)
    {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0 && errno == EINTR)
        {
            continue;
        }
        if (written <= 0)
        {
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

} // namespace

FileCopyResult copyFile(const std::string& from, const std::string& to, std::string* error)
{
    const std::string source = resolvePath(from);
    const std::string target = resolvePath(to);
    cDescriptor in;
    in.fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat sourceInfo
    {
    };
    if (in.fd < 0 || ::fstat(in.fd, &sourceInfo) != 0 || !S_ISREG(sourceInfo.st_mode))
    {
        setError(error, "cannot read " + from + ": " + std::strerror(in.fd < 0 ? errno : EINVAL));
        return FileCopyResult::Failed;
    }
    // Opening the source itself for writing would empty it before it is read.
    struct stat targetInfo
    {
    };
    if (::stat(target.c_str(), &targetInfo) == 0 && targetInfo.st_dev == sourceInfo.st_dev &&
        targetInfo.st_ino == sourceInfo.st_ino)
    {
        cDescriptor probe;
        probe.fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
        if (probe.fd < 0 && errno == ETXTBSY)
        {
            setError(error, to + " is a running program");
            return FileCopyResult::TargetBusy;
        }
        setError(error, from + " and " + to + " are the same file");
        return FileCopyResult::Failed;
    }

    const mode_t mode = (sourceInfo.st_mode & 07777) | S_IWUSR;
    cDescriptor out;
    out.fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (out.fd < 0)
    {
        const int why = errno;
        setError(error, "cannot write " + to + ": " + std::strerror(why));
        return why == ETXTBSY ? FileCopyResult::TargetBusy : FileCopyResult::Failed;
    }
    char block[65536];
    for (;;)
    {
        const ssize_t got = ::read(in.fd, block, sizeof block);
        if (got < 0 && errno == EINTR)
        {
            continue;
        }
        if (got < 0)
        {
            setError(error, "cannot read " + from + ": " + std::strerror(errno));
            return FileCopyResult::Failed;
        }
        if (got == 0)
        {
            break;
        }
        if (!writeAll(out.fd, block, got))
        {
            setError(error, "cannot write " + to + ": " + std::strerror(errno));
            return FileCopyResult::Failed;
        }
    }
    // An existing target keeps its old mode through O_CREAT; the copy takes the source's.
    if (::fchmod(out.fd, mode) != 0)
    {
        setError(error, "cannot set the mode of " + to + ": " + std::strerror(errno));
        return FileCopyResult::Failed;
    }
    return FileCopyResult::Copied;
}

} // namespace qelt::platform

// Making streams, and the shell hook through which they name shell entries.
#include "core/stream.h"

#include "core/stream_load.h"
#include "core/stream_save.h"

namespace qelt
{
namespace
{

cStreamShellLink& shellLink()
{
    static cStreamShellLink link;
    return link;
}

} // namespace

std::unique_ptr<cStream> createStream(int mode, cFile& file)
{
    switch (mode)
    {
    case 0:
        return std::make_unique<cStreamSave>(file);
    case 1:
        return std::make_unique<cStreamLoad>(file);
    default:
        return nullptr;
    }
}

void setStreamShellLink(cStreamShellLink link)
{
    shellLink() = std::move(link);
}

const cStreamShellLink& streamShellLink()
{
    return shellLink();
}

} // namespace qelt

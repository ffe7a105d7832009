// Feeds arbitrary bytes to the AVI reading path: open, stream and file information, the frame
// decoder and a few frames, forward and back.
#include "render/avi_file.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The services read disk files, so each input becomes one.
    static const std::string path = "/tmp/qelt_avi_fuzz_" + std::to_string(::getpid()) + ".avi";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    std::unique_ptr<qelt::cAviReader> reader = qelt::createAviReader();
    if (reader->open(path) == qelt::kAviOk)
    {
        qelt::cAviFileInfo info;
        reader->fileInfo(info);
        qelt::cAviStreamInfo stream;
        if (reader->openVideoStream() == qelt::kAviOk && reader->streamInfo(stream) &&
            reader->openDecoder() == qelt::kAviOk)
        {
            for (int n : {0, 1, 2, 0, 5})
            {
                const uint8_t* bitmap = reader->frame(n);
                if (!bitmap)
                    continue;
                qelt::cBitmapHeader header;
                std::memcpy(&header, bitmap, sizeof(header));
                if (header.size != 40 || header.width <= 0 || header.height <= 0)
                    __builtin_trap();
            }
        }
    }
    reader->release();
    std::remove(path.c_str());
    return 0;
}

// The 16-byte scene trailer: decoding, encoding, and appending a scene behind a program file.
#include "platform/scene_trailer.h"

#include "platform/path.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace qelt::platform
{

namespace
{

constexpr uint8_t kHeadMagic[4] = {'Q', 'E', 'L', 0};
constexpr uint8_t kTailMagic[4] = {'V', 'I', 'E', 0};

uint32_t readU32(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

void writeU32(uint32_t value, uint8_t* bytes)
{
    for (int i = 0; i < 4; ++i)
    {
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

void setError(std::string* error, const std::string& text)
{
    if (error != nullptr)
    {
        *error = text;
    }
}

} // namespace

std::optional<cSceneTrailer> decodeSceneTrailer(const uint8_t bytes[cSceneTrailer::kSize])
{
    if (std::memcmp(bytes, kHeadMagic, 4) != 0 || std::memcmp(bytes + 12, kTailMagic, 4) != 0)
    {
        return std::nullopt;
    }
    cSceneTrailer trailer;
    trailer.offset = readU32(bytes + 4);
    trailer.size = readU32(bytes + 8);
    return trailer;
}

void encodeSceneTrailer(const cSceneTrailer& trailer, uint8_t bytes[cSceneTrailer::kSize])
{
    std::memcpy(bytes, kHeadMagic, 4);
    writeU32(trailer.offset, bytes + 4);
    writeU32(trailer.size, bytes + 8);
    std::memcpy(bytes + 12, kTailMagic, 4);
}

std::optional<cSceneTrailer> findSceneTrailer(const uint8_t* file, uint64_t size)
{
    if (file == nullptr || size < cSceneTrailer::kSize)
    {
        return std::nullopt;
    }
    const std::optional<cSceneTrailer> trailer =
        decodeSceneTrailer(file + size - cSceneTrailer::kSize);
    if (!trailer || trailer->offset % cSceneTrailer::kAlignment != 0 ||
        uint64_t{trailer->offset} + trailer->size > size - cSceneTrailer::kSize)
    {
        return std::nullopt;
    }
    return trailer;
}

std::optional<cSceneTrailer> readSceneTrailer(const std::string& path)
{
    FilePtr file(openFile(path, "rb"));
    if (!file || std::fseek(file.get(), 0, SEEK_END) != 0)
    {
        return std::nullopt;
    }
    const long size = std::ftell(file.get());
    if (size < static_cast<long>(cSceneTrailer::kSize) ||
        std::fseek(file.get(), size - static_cast<long>(cSceneTrailer::kSize), SEEK_SET) != 0)
    {
        return std::nullopt;
    }
    uint8_t bytes[cSceneTrailer::kSize];
    if (std::fread(bytes, 1, sizeof bytes, file.get()) != sizeof bytes)
    {
        return std::nullopt;
    }
    const std::optional<cSceneTrailer> trailer = decodeSceneTrailer(bytes);
    if (!trailer || trailer->offset % cSceneTrailer::kAlignment != 0 ||
        uint64_t{trailer->offset} + trailer->size > static_cast<uint64_t>(size) - sizeof bytes)
    {
        return std::nullopt;
    }
    return trailer;
}

bool appendScene(const std::string& programPath, const std::string& scenePath, std::string* error)
{
    FilePtr program(openFile(programPath, "r+b"));
    if (!program)
    {
        setError(error, "cannot open program file " + programPath);
        return false;
    }
    FilePtr scene(openFile(scenePath, "rb"));
    if (!scene)
    {
        setError(error, "cannot open scene file " + scenePath);
        return false;
    }
    if (readSceneTrailer(programPath))
    {
        setError(error, programPath + " already carries a scene");
        return false;
    }
    if (std::fseek(program.get(), 0, SEEK_END) != 0 || std::fseek(scene.get(), 0, SEEK_END) != 0)
    {
        setError(error, "cannot seek in the program or scene file");
        return false;
    }
    const long programSize = std::ftell(program.get());
    const long sceneSize = std::ftell(scene.get());
    if (programSize < 0 || sceneSize < 0 || std::fseek(scene.get(), 0, SEEK_SET) != 0)
    {
        setError(error, "cannot measure the program or scene file");
        return false;
    }
    const uint64_t offset = (static_cast<uint64_t>(programSize) + cSceneTrailer::kAlignment - 1) /
                            cSceneTrailer::kAlignment * cSceneTrailer::kAlignment;
    // The trailer holds 32-bit offset and size.
    if (offset > UINT32_MAX || static_cast<uint64_t>(sceneSize) > UINT32_MAX)
    {
        setError(error, "program or scene too large for a scene trailer");
        return false;
    }

    std::vector<uint8_t> block(cSceneTrailer::kAlignment, cSceneTrailer::kFiller);
    const std::size_t filler =
        static_cast<std::size_t>(offset - static_cast<uint64_t>(programSize));
    bool ok = std::fwrite(block.data(), 1, filler, program.get()) == filler;
    uint64_t copied = 0;
    while (ok && copied < static_cast<uint64_t>(sceneSize))
    {
        const std::size_t want = static_cast<std::size_t>(
            std::min<uint64_t>(block.size(), static_cast<uint64_t>(sceneSize) - copied));
        const std::size_t got = std::fread(block.data(), 1, want, scene.get());
        if (got == 0)
        {
            setError(error, "cannot read scene file " + scenePath);
            return false;
        }
        ok = std::fwrite(block.data(), 1, got, program.get()) == got;
        copied += got;
    }
    uint8_t trailerBytes[cSceneTrailer::kSize];
    encodeSceneTrailer({static_cast<uint32_t>(offset), static_cast<uint32_t>(copied)},
                       trailerBytes);
    ok = ok &&
         std::fwrite(trailerBytes, 1, sizeof trailerBytes, program.get()) == sizeof trailerBytes;
    ok = std::fflush(program.get()) == 0 && ok;
    if (!ok)
    {
        setError(error, "cannot write program file " + programPath);
    }
    return ok;
}

} // namespace qelt::platform

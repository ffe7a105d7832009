// The appended scene: trailer lookup, rounding and the read into memory.
#include "app/appended_scene.h"

#include "platform/path.h"
#include "platform/scene_trailer.h"

#include <cstdio>
#include <memory>
#include <new>
#include <optional>

namespace qelt
{

AppendedScene readAppendedScene(const std::string& programPath, std::vector<uint8_t>* buffer)
{
    const std::optional<platform::cSceneTrailer> trailer = platform::readSceneTrailer(programPath);
    if (!trailer)
        return AppendedScene::None;
    const uint64_t rounded = (uint64_t{trailer->size} + platform::cSceneTrailer::kAlignment - 1) /
                             platform::cSceneTrailer::kAlignment *
                             platform::cSceneTrailer::kAlignment;
    if (rounded > UINT32_MAX)
        return AppendedScene::Unreadable;

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(platform::openFile(programPath, "rb"),
                                                         std::fclose);
    if (!file || std::fseek(file.get(), static_cast<long>(trailer->offset), SEEK_SET) != 0)
        return AppendedScene::Unreadable;
    try
    {
        buffer->assign(static_cast<std::size_t>(rounded), 0);
    }
    catch (const std::bad_alloc&)
    {
        return AppendedScene::Unreadable;
    }
    const std::size_t got = std::fread(buffer->data(), 1, buffer->size(), file.get());
    if (got < trailer->size)
        return AppendedScene::Unreadable;
    return AppendedScene::Read;
}

} // namespace qelt

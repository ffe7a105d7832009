// The texture manager base: slots, shared entries, reference counts and video streams.
#include "render/texture_manager.h"

#include "core/file_manager.h"
#include "render/avi_file.h"
#include "render/renderer.h"

#include <chrono>
#include <strings.h>

namespace qelt
{

cTextureEntry::cTextureEntry() = default;
cTextureEntry::~cTextureEntry() = default;

cTextureManager::~cTextureManager()
{
    for (cTextureEntry*& entry : entries_)
    {
        if (!entry)
            continue;
        if (entry->refCount != 0 && renderer_)
            renderer_->logf("Texture '%s' released while still referenced (%d)\n",
                            entry->name.c_str(), entry->refCount);
        delete entry;
        entry = nullptr;
    }
}

bool cTextureManager::contains(const char* name)
{
    if (!name)
        return false;
    for (const cTextureEntry* entry : entries_)
    {
        if (entry && strcasecmp(entry->name.c_str(), name) == 0)
            return true;
    }
    return false;
}

int cTextureManager::allocateSlot()
{
    for (std::size_t i = 0; i < entries_.size(); ++i)
    {
        if (!entries_[i])
            return static_cast<int>(i);
    }
    entries_.push_back(nullptr);
    return static_cast<int>(entries_.size() - 1);
}

void cTextureManager::DecreaseReference(int index)
{
    if (index < 0 || index >= static_cast<int>(entries_.size()) || !entries_[index])
        return;
    cTextureEntry* entry = entries_[index];
    if (--entry->refCount > 0)
        return;
    if (renderer_)
        renderer_->logf("cTextureManager::DecreaseReference Deleting texture %s\n",
                        entry->name.c_str());
    delete entry;
    entries_[index] = nullptr;
}

// The video texture's stream: the file, its first video stream, a decoder, the stream timing and
// the picture size, and the moment it started playing.
bool cTextureManager::openAviStream(const char* name, cTextureEntry& entry)
{
    entry.flags |= cTextureEntry::FlagAviVideo;
    if (!name)
        return false;
    std::string path;
    cFileManager* files = fileManager();
    if (!files || !files->findFile(name, nullptr, path))
        path = name;

    std::unique_ptr<cAviReader> reader = createAviReader();
    cAviFileInfo fileInfo;
    cAviStreamInfo streamInfo;
    if (reader->open(path) != kAviOk || reader->openVideoStream() != kAviOk ||
        reader->openDecoder() != kAviOk || !reader->streamInfo(streamInfo) ||
        !reader->fileInfo(fileInfo))
        return false;

    entry.aviRate = static_cast<int>(streamInfo.rate);
    entry.aviScale = static_cast<int>(streamInfo.scale);
    entry.aviStart = streamInfo.start;
    entry.aviLength = streamInfo.length;
    entry.width = fileInfo.width;
    entry.height = fileInfo.height;
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    entry.aviStartTime = std::chrono::duration_cast<std::chrono::milliseconds>(now).count() * 0.001;
    entry.avi = std::move(reader);
    return true;
}

} // namespace qelt

// Publishing a scene: the copy of the program, the resource path, and the appended-trailer path
// of systems whose program files cannot take resources.
#include "app/publish.h"

#include "platform/file_copy.h"
#include "platform/message_box.h"
#include "platform/path.h"
#include "platform/resources.h"
#include "platform/scene_trailer.h"
#include "platform/system.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace qelt
{

namespace
{

const char* const kCaption = "Error";
const char* const kNoArchive = "No scene archive given to publish.";
const char* const kBusy = "This viewer is currently running and cannot be overwriten.";
const char* const kCannotOpen = "Cannot open viewer file.";
const char* const kCannotPublish = "Cannot publish data file.";

using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

FilePtr open(const std::string& path, const char* mode)
{
    return FilePtr(platform::openFile(path, mode), std::fclose);
}

int fail(const char* text, int code)
{
    platform::messageBox(kCaption, text, platform::MessageBoxButtons::Ok,
                         platform::MessageBoxIcon::Error);
    return code;
}

// Reads the whole archive; kCannotOpen or kCannotPublish when it cannot.
const char* readArchive(const std::string& path, std::vector<uint8_t>* bytes)
{
    FilePtr file = open(path, "rb");
    if (!file)
        return kCannotOpen;
    uint8_t block[platform::cSceneTrailer::kAlignment];
    std::size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file.get())) > 0)
        bytes->insert(bytes->end(), block, block + got);
    return std::ferror(file.get()) ? kCannotPublish : nullptr;
}

// ---------------------------------------------------------------------------------------------
// The appended-trailer path: filler up to a multiple of 4096, the archive, the trailer.
// ---------------------------------------------------------------------------------------------

int publishAppended(const std::string& target, const std::string& archive)
{
    long size = -1;
    {
        FilePtr measure = open(target, "rb");
        if (!measure || std::fseek(measure.get(), 0, SEEK_END) != 0)
            return fail(kCannotOpen, kExitFailed);
        size = std::ftell(measure.get());
    }
    FilePtr out = open(target, "ab");
    if (!out || size < 0)
        return fail(kCannotOpen, kExitFailed);
    const uint64_t alignment = platform::cSceneTrailer::kAlignment;
    const uint64_t offset = (static_cast<uint64_t>(size) + alignment - 1) / alignment * alignment;

    std::vector<uint8_t> filler(static_cast<std::size_t>(offset - static_cast<uint64_t>(size)),
                                platform::cSceneTrailer::kFiller);
    bool written =
        filler.empty() || std::fwrite(filler.data(), 1, filler.size(), out.get()) == filler.size();

    FilePtr in = open(archive, "rb");
    if (!in)
        return fail(kCannotOpen, kExitFailed);
    uint64_t copied = 0;
    uint8_t block[platform::cSceneTrailer::kAlignment];
    std::size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, in.get())) > 0)
    {
        written = written && std::fwrite(block, 1, got, out.get()) == got;
        copied += got;
    }
    // The trailer holds 32-bit numbers.
    if (std::ferror(in.get()) || !written || offset > UINT32_MAX || copied > UINT32_MAX)
        return fail(kCannotPublish, kExitFailed);

    uint8_t trailer[platform::cSceneTrailer::kSize];
    platform::encodeSceneTrailer({static_cast<uint32_t>(offset), static_cast<uint32_t>(copied)},
                                 trailer);
    written = std::fwrite(trailer, 1, sizeof trailer, out.get()) == sizeof trailer;
    if (std::fclose(out.release()) != 0 || !written)
        return fail(kCannotPublish, kExitFailed);
    return kExitOk;
}

} // namespace

int publish(const std::string& programPath, const std::string& target,
            const std::optional<std::string>& archive)
{
    if (!archive)
        return fail(kNoArchive, kExitFailed);

    std::string why;
    switch (platform::copyFile(programPath, target, &why))
    {
    case platform::FileCopyResult::Copied:
        break;
    case platform::FileCopyResult::TargetBusy:
        return fail(kBusy, kExitFailed);
    case platform::FileCopyResult::Failed:
    {
        const std::string text =
            "Cannot copy viewer file from \"" + programPath + "\" to \"" + target + "\"";
        platform::debugOutput(("Viewer: " + why + "\n").c_str());
        platform::messageBox(kCaption, text, platform::MessageBoxButtons::Ok,
                             platform::MessageBoxIcon::Error);
        return kExitCopyFailed;
    }
    }

    // The resource path; a copy whose resource block cannot be read takes the scene appended.
    platform::cResourceUpdate update;
    if (!update.begin(target, false))
    {
        platform::debugOutput(
            ("Viewer: " + update.error() + "; appending the scene instead\n").c_str());
        return publishAppended(target, *archive);
    }
    std::vector<uint8_t> bytes;
    if (const char* problem = readArchive(*archive, &bytes))
        return fail(problem, kExitFailed);
    // An empty archive would remove the resource instead of writing it.
    if (bytes.empty())
        return fail(kCannotPublish, kExitFailed);
    update.update("BINARY", "SCENE", 0, std::move(bytes));
    if (!update.commit())
    {
        platform::debugOutput(("Viewer: " + update.error() + "\n").c_str());
        return fail(kCannotPublish, kExitFailed);
    }
    return kExitOk;
}

} // namespace qelt

// The file manager: mounted archives, the search path and opening files by name.
#include "core/file_manager.h"

#include "core/file_internet.h"
#include "core/file_stdio.h"
#include "core/file_stdio_writeable.h"
#include "core/log_manager.h"
#include "core/process_pointers.h"
#include "platform/http.h"
#include "platform/path.h"
#include "platform/system.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

namespace qelt
{

namespace
{

bool isLetterOrDigit(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool equalIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

// A file (not a folder) of that name exists, matched as the platform matches names.
bool isFile(const std::string& name)
{
    if (name.empty())
        return false;
    std::error_code ec;
    const auto status = std::filesystem::status(platform::resolvePath(name), ec);
    return !ec && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

// Video and sound entries are copied to disk, because the services that play them need files.
bool isCopiedExtension(const std::string& name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return false;
    const std::string extension = name.substr(dot + 1);
    return equalIgnoringCase(extension, "avi") || equalIgnoringCase(extension, "wav");
}

std::string completedDirectory(const std::string& directory)
{
    if (directory.empty())
        return directory;
    const char last = directory.back();
    return (last == '/' || last == ':' || last == '\\') ? directory : directory + "\\";
}

// A new folder that only this user can enter, named prefix plus a random suffix.
std::string makePrivateFolder(const std::string& prefix)
{
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 16; ++attempt)
    {
        const std::string folder = prefix + std::to_string(random() % 1000000000u) + "/";
        std::error_code ec;
        // create_directory answers false for a folder that is there already: never share one.
        if (std::filesystem::create_directory(folder, ec))
        {
            std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::replace, ec);
            return folder;
        }
        if (ec && ec != std::errc::file_exists)
            return {};
    }
    return {};
}

} // namespace

// ---- name helpers -------------------------------------------------------------------------------

std::vector<std::string> parseExtensionList(const char* text)
{
    std::vector<std::string> words;
    if (!text)
        return words;
    std::string word;
    for (const char* c = text;; ++c)
    {
        if (*c != '\0' && *c != ')' && isLetterOrDigit(*c))
        {
            word += lowerAscii(*c);
            continue;
        }
        if (!word.empty())
            words.push_back(std::move(word));
        word.clear();
        if (*c == '\0' || *c == ')')
            break;
    }
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    return words;
}

bool splitSearchPathEntry(const std::string& entry, cSearchPathEntry* split)
{
    *split = cSearchPathEntry{};
    if (entry.empty() || entry[0] != '(')
    {
        split->directory = entry;
        return true;
    }
    const std::size_t close = entry.find(')');
    if (close == std::string::npos)
        return false;
    split->restricted = true;
    split->extensions = parseExtensionList(entry.c_str() + 1);
    split->directory = entry.substr(close + 1);
    return true;
}

bool isAbsoluteFileName(const std::string& name)
{
    return !name.empty() &&
           (name[0] == '/' || name[0] == '\\' || name.find(':') != std::string::npos);
}

std::string temporaryCopyName(const std::string& entryName, std::size_t index)
{
    const std::size_t cut = entryName.find_last_of("/\\");
    if (cut == std::string::npos && !entryName.empty() && entryName != "." && entryName != "..")
        return entryName;
    std::string last = cut == std::string::npos ? entryName : entryName.substr(cut + 1);
    if (last.empty() || last == "." || last == "..")
        last = "entry";
    return std::to_string(index) + "_" + last;
}

// ---- cFileManager -------------------------------------------------------------------------------

cFileManager::cFileManager() = default;

cFileManager::~cFileManager()
{
    removeTemporaryCopies();
}

// Names beginning with "http:" are fetched; read names go to the archives first, then the disk.
// Open failures are debug lines and null: the caller reports a missing file in its own words.
cFile* cFileManager::openFile(const char* name, const char* extensions, int mode, int)
{
    if (!name)
        return nullptr;
    std::string text = name;
    const bool hasExtension = extensions && extensions[0] != '\0';

    if (text.compare(0, 5, "http:") == 0)
    {
        if (hasExtension)
            text += std::string(".") + extensions;
        const std::string url = platform::canonicalHttpUrl(text);
        if (url.empty())
        {
            debugf("Could not open %s (not a URL)\n", text.c_str());
            return nullptr;
        }
        platform::cHttpOptions options;
        {
            std::lock_guard<std::recursive_mutex> guard(lock_);
            options = internetOptions_;
        }
        std::string error;
        cFile* file = cFileInternet::open(url, options, &error);
        if (!file)
            debugf("Could not open %s (%s)\n", url.c_str(), error.c_str());
        return file;
    }

    try
    {
        if (mode == ModeWrite)
        {
            if (hasExtension)
                text += std::string(".") + extensions;
            return new cFileStdioWriteable(text);
        }
        if (mode != ModeRead)
        {
            debugf("Could not open %s (mode %d)\n", name, mode);
            return nullptr;
        }
        if (cFile* file = openFromArchives(text))
            return file;
        std::string path;
        if (!findFile(name, extensions, path))
            return nullptr;
        return new cFileStdio(path);
    }
    catch (const cFileException&)
    {
        debugf("Could not open %s\n", name);
        return nullptr;
    }
}

// The first mounted archive holding the name (whole name, any case) answers. Video and sound
// entries come back as their disk copies.
cFile* cFileManager::openFromArchives(const std::string& name)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    for (auto& archive : archives_)
    {
        const cArchiveIndex::Entry* entry = archive->index.find(name);
        if (!entry)
            continue;
        if (isCopiedExtension(name))
        {
            if (cFile* copy = copyEntry(*archive, *entry))
                return copy;
            // Without a copy the disk search may still find the file.
            return nullptr;
        }
        return openArchiveEntry(archive->index, *archive->source, entry->name, archive->progress)
            .release();
    }
    return nullptr;
}

// Copies the entry into the archive's own folder under the temporary folder, rewritten on every
// open. The copy is written under a scratch name and renamed into place, so a file opened on an
// earlier copy keeps its bytes.
cFile* cFileManager::copyEntry(cMountedArchive& archive, const cArchiveIndex::Entry& entry)
{
    const std::string folder = copyFolder(archive);
    if (folder.empty())
        return nullptr;
    const std::size_t index = std::size_t(&entry - archive.index.entries().data());
    const std::string target = folder + temporaryCopyName(entry.name, index);
    const std::string scratch = target + ".part";

    std::unique_ptr<cFile> sourceClone(archive.source->clone());
    if (!sourceClone)
        return nullptr;
    cArchiveFile source(std::move(sourceClone), entry.offset, entry.size, archive.progress);
    bool complete = false;
    try
    {
        cFileStdioWriteable out(scratch);
        char block[4096];
        complete = true;
        std::size_t got;
        while (complete && (got = source.read(block, sizeof block)) > 0)
            complete = out.write(block, got);
        complete = complete && source.eof() && out.flush();
    }
    catch (const cFileException&)
    {
        complete = false;
    }
    std::error_code ec;
    if (complete)
        std::filesystem::rename(scratch, target, ec);
    if (!complete || ec)
    {
        std::filesystem::remove(scratch, ec);
        debugf("Could not copy %s to %s\n", entry.name.c_str(), target.c_str());
        return nullptr;
    }
    try
    {
        return new cFileStdio(target);
    }
    catch (const cFileException&)
    {
        return nullptr;
    }
}

// The archive's copy folder, made on its first copy and then searched like the temporary folder,
// so that code which resolves a video or sound name to a path finds the copy.
std::string cFileManager::copyFolder(cMountedArchive& archive)
{
    if (!archive.copyFolder.empty())
        return archive.copyFolder;
    if (copyRoot_.empty())
        copyRoot_ = makePrivateFolder(platform::temporaryFolder() + "qelt-copies-");
    if (copyRoot_.empty())
        return {};
    const std::string folder = copyRoot_ + std::to_string(archive.number) + "/";
    std::error_code ec;
    std::filesystem::create_directory(folder, ec);
    if (ec)
        return {};
    archive.copyFolder = folder;
    addPath(folder);
    return folder;
}

void cFileManager::removeTemporaryCopies()
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (copyRoot_.empty())
        return;
    std::error_code ec;
    std::filesystem::remove_all(copyRoot_, ec);
    for (auto& archive : archives_)
    {
        if (!archive->copyFolder.empty())
            removePath(archive->copyFolder);
        archive->copyFolder.clear();
    }
    copyRoot_.clear();
}

// The lookup: the name as it is; else with each candidate extension (the sorted list, or the
// name's own extension) either at its absolute place or in each search path entry in order,
// where a restricted entry only serves the candidates of its list and relative entries are
// taken from the base directory; an unrestricted entry also serves the name unchanged.
bool cFileManager::findFile(const char* name, const char* extensions, std::string& path)
{
    if (!name)
        return false;
    const std::string text = name;
    if (isFile(text))
    {
        path = text;
        return true;
    }

    std::vector<std::string> candidates;
    std::string stem = text;
    if (extensions)
    {
        candidates = parseExtensionList(extensions);
    }
    else
    {
        const std::size_t cut = text.find_last_of(":/\\.");
        if (cut != std::string::npos && text[cut] == '.' && cut + 1 < text.size())
        {
            candidates.push_back(text.substr(cut + 1));
            stem = text.substr(0, cut);
        }
    }

    auto tryName = [&](const std::string& candidate)
    {
        if (!isFile(candidate))
            return false;
        path = candidate;
        return true;
    };

    if (isAbsoluteFileName(text))
    {
        for (const std::string& extension : candidates)
        {
            if (tryName(stem + "." + extension))
                return true;
        }
        return false;
    }

    std::vector<std::string> entries;
    std::string base;
    {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        entries = searchPath_;
        base = baseDirectory_;
    }
    for (const std::string& entry : entries)
    {
        cSearchPathEntry split;
        if (!splitSearchPathEntry(entry, &split))
            continue;
        std::vector<std::string> usable;
        for (const std::string& extension : candidates)
        {
            const bool listed =
                !split.restricted ||
                std::any_of(split.extensions.begin(), split.extensions.end(),
                            [&](const std::string& e) { return equalIgnoringCase(e, extension); });
            if (listed)
                usable.push_back(extension);
        }
        if (split.restricted && usable.empty())
            continue;
        const std::string prefix =
            (isAbsoluteFileName(split.directory) ? std::string() : base) + split.directory;
        for (const std::string& extension : usable)
        {
            if (tryName(prefix + stem + "." + extension))
                return true;
        }
        if (!text.empty() && tryName(prefix + text))
            return true;
    }
    return false;
}

bool cFileManager::findFile(const char* name, const char* extensions, char* buffer,
                            std::size_t size)
{
    std::string path;
    if (!findFile(name, extensions, path))
        return false;
    if (buffer && size > 0)
    {
        const std::size_t length = std::min(path.size(), size - 1);
        std::memcpy(buffer, path.data(), length);
        buffer[length] = '\0';
    }
    return true;
}

void cFileManager::addPath(const std::string& directory)
{
    const std::string entry = completedDirectory(directory);
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (std::find(searchPath_.begin(), searchPath_.end(), entry) == searchPath_.end())
        searchPath_.push_back(entry);
}

void cFileManager::removePath(const std::string& directory)
{
    const std::string entry = completedDirectory(directory);
    std::lock_guard<std::recursive_mutex> guard(lock_);
    searchPath_.erase(std::remove(searchPath_.begin(), searchPath_.end(), entry),
                      searchPath_.end());
}

int cFileManager::pathCount()
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return int(searchPath_.size());
}

std::string cFileManager::path(int index)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (index < 0 || std::size_t(index) >= searchPath_.size())
        return {};
    return searchPath_[std::size_t(index)];
}

void cFileManager::setBaseDirectory(const std::string& directory)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    baseDirectory_ = directory;
}

std::string cFileManager::baseDirectory()
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return baseDirectory_;
}

bool cFileManager::mountArchive(std::unique_ptr<cFile> file, cProgress* progress)
{
    if (!file)
        return false;
    auto archive = std::make_unique<cMountedArchive>();
    std::string error;
    if (!archive->index.build(*file, progress, &error))
    {
        debugf("Archive cannot be mounted: %s\n", error.c_str());
        return false;
    }
    for (const auto& entry : archive->index.entries())
        debugf("Archive contains %s\n", entry.name.c_str());
    archive->source = std::move(file);
    archive->progress = progress;

    std::lock_guard<std::recursive_mutex> guard(lock_);
    archive->number = int(archives_.size());
    archives_.push_back(std::move(archive));
    return true;
}

void cFileManager::releaseProgress()
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    for (auto& archive : archives_)
        archive->progress = nullptr;
}

void cFileManager::setInternetOptions(const platform::cHttpOptions& options)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    internetOptions_ = options;
}

// ---- the shared manager -------------------------------------------------------------------------

namespace
{

std::atomic<void*> g_fileManager{nullptr};
bool g_fileManagerMadeHere = false;

// The module that made the shared manager removes its temporary copies when it is unloaded; the
// manager itself stays, since other modules may still hold it.
struct cModuleUnload
{
    ~cModuleUnload()
    {
        if (g_fileManagerMadeHere)
            static_cast<cFileManager*>(g_fileManager.load())->removeTemporaryCopies();
    }
} g_moduleUnload;

} // namespace

cFileManager* fileManager()
{
    return static_cast<cFileManager*>(sharedService(g_fileManager, "FileManager", "cFileManager",
                                                    []() -> void*
                                                    {
                                                        g_fileManagerMadeHere = true;
                                                        return new cFileManager;
                                                    }));
}

} // namespace qelt

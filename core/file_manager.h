// The file manager: mounted archives, the search path with its extension lists, and opening
// files by name from archives, disk or "http:".
#pragma once

#include "core/archive.h"
#include "core/file.h"
#include "platform/http.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qelt
{

class cProgress;

// One manager per process, shared through the process pointers under "FileManager", so every
// module opens files through the engine's archives and search path. Its lock guards the search
// path, the base directory and the mounted archives; disk searches run on a copy of the path.
class cFileManager
{
  public:
    enum Mode : int
    {
        ModeRead = 0,
        ModeWrite = 1,
    };

    cFileManager();
    cFileManager(const cFileManager&) = delete;
    cFileManager& operator=(const cFileManager&) = delete;
    // Closes the archives and removes the temporary copies.
    virtual ~cFileManager();

    // A new file owned by the caller, or null. Read mode looks in the mounted archives, then
    // searches the disk (findFile); write mode creates or truncates name plus "." and the
    // extension when one is given; an "http:" name is fetched. flag is accepted for callers and
    // has no effect.
    virtual cFile* openFile(const char* name, const char* extensions = nullptr, int mode = ModeRead,
                            int flag = 0);
    // The path of an existing file for name (see the lookup rules in the source); false when
    // there is none. Folders are not files.
    virtual bool findFile(const char* name, const char* extensions, std::string& path);
    // The same into a caller buffer of size bytes, cut and always terminated.
    virtual bool findFile(const char* name, const char* extensions, char* buffer, std::size_t size);

    // Appends a directory ("\\" added when it ends in none of "/", ":" or "\\") unless an equal
    // entry is there; a directory may start with a parenthesised extension list that restricts
    // which extensions are looked for in it.
    virtual void addPath(const std::string& directory);
    // Removes every entry equal to the directory (completed as for addPath).
    virtual void removePath(const std::string& directory);
    virtual int pathCount();
    // Entry index; empty when out of range.
    virtual std::string path(int index);

    // Prefixed to the relative entries of the search path; initially empty.
    virtual void setBaseDirectory(const std::string& directory);
    virtual std::string baseDirectory();

    // Reads the archive's directory and mounts it after the others; the manager owns the file.
    // The progress, when given, gets the file's size as its total and every byte read from the
    // archive's entries until releaseProgress. False (nothing mounted) when the directory is
    // damaged.
    virtual bool mountArchive(std::unique_ptr<cFile> file, cProgress* progress = nullptr);
    // Forgets the progress of every mounted archive, for when the load that reported to it ends.
    virtual void releaseProgress();

    // Time-outs and limits of "http:" transfers.
    virtual void setInternetOptions(const platform::cHttpOptions& options);

    // Removes the temporary copies of archive entries made so far.
    virtual void removeTemporaryCopies();

  private:
    struct cMountedArchive
    {
        std::unique_ptr<cFile> source; // owned
        cProgress* progress = nullptr; // not owned, optional
        cArchiveIndex index;
        int number = 0;
        std::string copyFolder; // where this archive's copies go, once made
    };

    cFile* openFromArchives(const std::string& name);
    cFile* copyEntry(cMountedArchive& archive, const cArchiveIndex::Entry& entry);
    std::string copyFolder(cMountedArchive& archive);

    std::recursive_mutex lock_;
    std::vector<std::string> searchPath_;
    std::string baseDirectory_;
    std::vector<std::unique_ptr<cMountedArchive>> archives_;
    std::string copyRoot_; // this manager's private folder under the temporary folder
    platform::cHttpOptions internetOptions_;
};

// This process's manager, found or made through the process pointers and cached by the module;
// null in a plug-in when the engine has made none.
cFileManager* fileManager();

// ---- name helpers -------------------------------------------------------------------------------

// The extension words of a list: runs of letters and digits in lower case, any other character
// separating them, up to a ")" or the end; sorted in ascending byte order, each once.
std::vector<std::string> parseExtensionList(const char* text);

// A search path entry: an optional leading "(ext ext)" restriction, then the directory.
struct cSearchPathEntry
{
    bool restricted = false;
    std::vector<std::string> extensions; // when restricted
    std::string directory;
};
// False for an entry whose restriction is not closed.
bool splitSearchPathEntry(const std::string& entry, cSearchPathEntry* split);

// True for "/..." and "\\..." and for names with a drive or scheme colon.
bool isAbsoluteFileName(const std::string& name);

// The disk name for the temporary copy of archive entry index named entryName: the name itself
// when it is a plain file name, else its last part after "/" or "\\" behind the entry index, so
// that no entry name can reach outside the copy folder.
std::string temporaryCopyName(const std::string& entryName, std::size_t index);

} // namespace qelt

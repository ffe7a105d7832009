// Resources carried by a program file in a block appended to it: entries of type, name, language
// and bytes, a directory and a footer. A scene appended behind the block with a scene trailer
// keeps working: the block is found in front of the scene's filler bytes.
#pragma once

#include "platform/scene_trailer.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qelt::platform
{

struct cResourceEntry
{
    std::string type;
    std::string name;
    uint16_t language = 0;
    uint64_t offset = 0; // of the bytes from the start of the file
    uint64_t size = 0;
};

// Where the parts of a program file lie. Without a block, blockStart and blockEnd both sit where
// the program bytes end: at the scene's offset when a scene is appended, else at the file's end.
struct cResourceLayout
{
    bool hasBlock = false;
    uint64_t blockStart = 0;
    uint64_t blockEnd = 0;
    std::optional<cSceneTrailer> scene;
    std::vector<cResourceEntry> entries;
};

// Finds and checks the resource block of a whole file image held in memory. Every offset, size
// and count in it is checked against size before it is used. false with error set when a block
// is there but damaged; a file without a block gives true and no entries.
bool parseResourceLayout(const uint8_t* file, uint64_t size, cResourceLayout* layout,
                         std::string* error = nullptr);

// Read access to the resources of one program file. The file is mapped, not read: bytes() points
// into the mapping, which lives as long as this object.
class cResourceReader
{
  public:
    ~cResourceReader();
    cResourceReader(const cResourceReader&) = delete;
    cResourceReader& operator=(const cResourceReader&) = delete;

    // Opens path; null when it cannot be opened or its block is damaged. A file without a block
    // has no entries.
    static std::unique_ptr<cResourceReader> open(const std::string& path,
                                                 std::string* error = nullptr);

    const std::vector<cResourceEntry>& entries() const { return entries_; }
    // The first entry of that type and name (compared whole, case-sensitively); null when missing.
    const cResourceEntry* find(const std::string& type, const std::string& name) const;
    // The entry's bytes inside the mapping.
    const uint8_t* bytes(const cResourceEntry& entry) const;

  private:
    cResourceReader() = default;
    const uint8_t* mapping_ = nullptr; // owned mmap
    uint64_t mappingSize_ = 0;
    std::vector<cResourceEntry> entries_;
};

// Rewrites the resource block of a program file: begin, any number of updates, commit.
class cResourceUpdate
{
  public:
    // Reads the current block of path (kept unless deleteExisting); false with error() on failure.
    bool begin(const std::string& path, bool deleteExisting);
    // Adds or replaces (same type, name and language) an entry; empty data removes it.
    void update(const std::string& type, const std::string& name, uint16_t language,
                std::vector<uint8_t> data);
    // Writes the program, the new block, and an appended scene with its trailer when there was
    // one; the file is replaced atomically and keeps its mode. false with error() on failure,
    // and the file is left as it was.
    bool commit();

    const std::string& error() const { return error_; }

  private:
    struct Pending
    {
        std::string type;
        std::string name;
        uint16_t language = 0;
        std::vector<uint8_t> data; // new bytes, unless kept
        bool kept = false;         // bytes still in the old file at oldOffset
        uint64_t oldOffset = 0;
        uint64_t oldSize = 0;
    };
    std::string path_;
    std::vector<Pending> entries_;
    cResourceLayout layout_; // of the file as begin saw it; its entries are not used
    uint64_t fileSize_ = 0;
    int64_t fileModified_ = 0; // nanoseconds; commit refuses a file changed since begin
    bool begun_ = false;
    std::string error_;
};

} // namespace qelt::platform

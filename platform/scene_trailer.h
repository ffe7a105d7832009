// The 16-byte trailer that finds a scene appended behind a program file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace qelt::platform
{

struct cSceneTrailer
{
    static constexpr std::size_t kSize = 16;
    static constexpr uint32_t kAlignment = 4096;
    static constexpr uint8_t kFiller = 0x5A;

    uint32_t offset = 0; // of the scene data from the file's start; a multiple of 4096
    uint32_t size = 0;   // of the scene data in bytes
};

// Decodes the last 16 bytes of a file; empty when either magic ("QEL\0" ... "VIE\0") is missing.
std::optional<cSceneTrailer> decodeSceneTrailer(const uint8_t bytes[cSceneTrailer::kSize]);
void encodeSceneTrailer(const cSceneTrailer& trailer, uint8_t bytes[cSceneTrailer::kSize]);

// The trailer at the end of a file image held in memory; empty when there is none or when it
// points outside the file or off the 4096-byte grid.
std::optional<cSceneTrailer> findSceneTrailer(const uint8_t* file, uint64_t size);

// Reads the trailer at the end of the named file; empty when there is none or when it points
// outside the file or off the 4096-byte grid.
std::optional<cSceneTrailer> readSceneTrailer(const std::string& path);

// Appends filler, the scene file's bytes and a trailer to the program file. Refuses a program
// that already carries a scene. A failed write can leave part of it behind, so publish onto a
// copy. false with error set on failure.
bool appendScene(const std::string& programPath, const std::string& scenePath,
                 std::string* error = nullptr);

} // namespace qelt::platform

// Reading a scene appended behind the program file, found through its 16-byte trailer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qelt
{

enum class AppendedScene
{
    None,       // no valid trailer: nothing to load
    Read,       // the buffer holds the scene
    Unreadable, // a trailer was found, but the scene could not be read into memory
};

// Reads the scene into buffer, sized to the stored size rounded up to a multiple of 4096 and
// filled from the stored offset up to that size or the end of the file (the trailer and zero
// bytes may follow the archive, which its end marker makes harmless).
AppendedScene readAppendedScene(const std::string& programPath, std::vector<uint8_t>* buffer);

} // namespace qelt

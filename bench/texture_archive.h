// A scene archive of many small texture entries, for the benchmarks that look names up in one.
#pragma once

#include "tools/pack_writer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qelt::bench
{

inline std::string textureName(int i)
{
    return "Texture_" + std::to_string(i) + ".jpg";
}

// Entries "Texture_0.jpg" to "Texture_<count-1>.jpg" of 0 to 16 bytes each.
inline std::vector<uint8_t> textureArchive(int count)
{
    std::vector<tools::cArchiveItem> items;
    for (int i = 0; i < count; ++i)
        items.push_back({textureName(i), std::vector<uint8_t>(size_t(i % 17), uint8_t(i))});
    return tools::buildArchive(items);
}

} // namespace qelt::bench

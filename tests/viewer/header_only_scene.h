// The smallest scene the loader reads: an 800 x 600 windowed "mode.dat" (no stereo, dr 0, snd 1)
// and a "core.dat" holding only its header (version 3, 800 x 600, play on start 0).
#pragma once

#include "tools/pack_writer.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace qelt::testing
{

inline std::vector<uint8_t> littleEndian(std::initializer_list<int32_t> values)
{
    std::vector<uint8_t> bytes;
    for (int32_t value : values)
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>(uint32_t(value) >> (8 * i)));
    return bytes;
}

inline std::vector<uint8_t> modeFile()
{
    std::vector<uint8_t> bytes = littleEndian({800, 600});
    bytes.insert(bytes.end(), {0, 0});
    const std::vector<uint8_t> rest = littleEndian({0, 1});
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    return bytes;
}

inline std::vector<uint8_t> coreHeader()
{
    std::vector<uint8_t> bytes = {'Q', 'E', 'L', 'T'};
    const std::vector<uint8_t> numbers = littleEndian({3, 800, 600});
    bytes.insert(bytes.end(), numbers.begin(), numbers.end());
    bytes.insert(bytes.end(), {0, 0, 0});
    return bytes;
}

inline std::vector<uint8_t> headerOnlySceneArchive()
{
    return tools::buildArchive({{"mode.dat", modeFile()}, {"core.dat", coreHeader()}});
}

} // namespace qelt::testing

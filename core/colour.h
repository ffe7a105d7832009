// 32-bit colours: alpha in the top byte, then red, green and blue.
#pragma once

#include <cstdint>

namespace qelt
{

struct cColouri
{
    uint32_t argb = 0;

    static constexpr cColouri fromBytes(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha)
    {
        return {static_cast<uint32_t>(alpha) << 24 | static_cast<uint32_t>(red) << 16 |
                static_cast<uint32_t>(green) << 8 | blue};
    }

    constexpr uint8_t alpha() const { return static_cast<uint8_t>(argb >> 24); }
    constexpr uint8_t red() const { return static_cast<uint8_t>(argb >> 16); }
    constexpr uint8_t green() const { return static_cast<uint8_t>(argb >> 8); }
    constexpr uint8_t blue() const { return static_cast<uint8_t>(argb); }

    friend constexpr bool operator==(cColouri a, cColouri b) { return a.argb == b.argb; }
};

} // namespace qelt

#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace e2e
{
    // An 8-bit RGBA picture, not premultiplied, rows top to bottom.
    struct RgbaPicture final
    {
        int width = 0;
        int height = 0;
        std::vector<uint8_t> rgba;

        // Any thread: the four bytes of pixel (x, y), which must lie inside.
        const uint8_t* at (int x, int y) const noexcept
        {
            return rgba.data() + (static_cast<std::size_t> (y) * static_cast<std::size_t> (width) + static_cast<std::size_t> (x)) * 4;
        }
    };

    // The pictures built into the app.
    enum class EmbeddedPicture
    {
        background,
        largeKnobStrip,
        smallKnobStrip,
        wahPedalStrip,
        meterStrip,
        switchStrip,
        about
    };

    // Test thread: one of the app's embedded pictures, decoded from the same
    // bytes the app is built with (once per program); throws
    // std::runtime_error if it does not decode.
    RgbaPicture decodeEmbeddedPicture (EmbeddedPicture which);
}

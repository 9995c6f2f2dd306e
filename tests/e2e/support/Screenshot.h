#pragma once

#include "ScreenGeometry.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace e2e
{
    // An 8-bit RGB colour.
    struct Rgb final
    {
        int red = 0, green = 0, blue = 0;
    };

    // A picture of the screen or of one window, kept as a PNG file (an
    // artefact of the test) and loaded for checking region by region.
    // Test thread only.
    class Screenshot final
    {
    public:
        // Test thread: `import -window <windowId>` ("root" for the whole
        // screen) on the display, written to pngFile; throws when the capture
        // or the decoding fails.
        static Screenshot capture (const std::string& display, const std::string& windowId,
                                   const std::filesystem::path& pngFile, const std::filesystem::path& logDirectory);

        // Test thread: reads a PNG file that exists already; throws when it
        // cannot be decoded.
        static Screenshot load (const std::filesystem::path& pngFile, const std::filesystem::path& logDirectory);

        // Test thread: the part of this picture inside `area`, saved as
        // pngFile; its pixel (0, 0) is the area's top left. Throws when the
        // area does not lie inside the picture.
        Screenshot cropped (Rectangle area, const std::filesystem::path& pngFile,
                            const std::filesystem::path& logDirectory) const;

        // Test thread.
        int width() const noexcept { return w; }
        // Test thread.
        int height() const noexcept { return h; }
        // Test thread.
        const std::filesystem::path& file() const noexcept { return pngFile; }

        // Test thread: the pixel at (x, y), which must lie inside the picture.
        Rgb pixel (int x, int y) const;
        // Test thread: the mean colour of the part of the area inside the picture.
        Rgb averageColour (Rectangle area) const;
        // Test thread: how many pixels of the area differ from `colour` by more
        // than `tolerance` in any channel.
        int countPixelsDifferentFrom (Rectangle area, Rgb colour, int tolerance) const;
        // Test thread: how many pixels of the area differ from the same
        // pixel of `other` by more than `tolerance` in any channel; the part
        // of the area outside either picture is not counted.
        int countPixelsDifferentIn (const Screenshot& other, Rectangle area, int tolerance) const;

    private:
        Screenshot() = default;

        std::filesystem::path pngFile;
        int w = 0, h = 0;
        std::vector<uint8_t> rgb;
    };
}

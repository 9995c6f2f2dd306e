#pragma once

#include "EmbeddedPictures.h"
#include "ScreenGeometry.h"
#include "Screenshot.h"

#include <vector>

namespace e2e
{
    // A picture composed the way the app's components paint: an opaque white
    // fill, then pictures drawn one to one over it, each blended by its own
    // alpha. Screenshots of the running app are checked against it region by
    // region; the framework blends in 8-bit steps, so comparisons allow a few
    // levels of difference. Test thread only.
    class PictureComposition final
    {
    public:
        // Test thread: all white.
        PictureComposition (int width, int height);

        // Test thread: draws the source area of the picture with its top left
        // at `destination`, over what is there; parts outside are clipped.
        void draw (const RgbaPicture& picture, Rectangle source, Point destination);

        // Test thread.
        int width() const noexcept { return w; }
        // Test thread.
        int height() const noexcept { return h; }
        // Test thread: the composed colour, rounded, at a pixel inside.
        Rgb pixel (int x, int y) const;

        // Test thread: how many pixels of the area differ between this and the
        // screenshot, by more than `tolerance` in any channel; the screenshot
        // has the same coordinates as this composition.
        int countPixelsDifferentIn (const Screenshot& shot, Rectangle area, int tolerance) const;

    private:
        int w, h;
        // Red, green and blue of each pixel, 0..255, unrounded.
        std::vector<float> canvas;
    };
}

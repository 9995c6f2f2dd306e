#pragma once

#include "EmbeddedPictures.h"
#include "PictureComposition.h"
#include "ScreenGeometry.h"

#include <array>

namespace e2e
{
    // What the main panel looks like by its pictures alone: the background
    // over white, and chosen frames of the knob, pedal, meter and switch
    // strips drawn one to one at a control's bounds. Test thread only.
    class PanelArtwork final
    {
    public:
        enum class Strip
        {
            largeKnob,
            smallKnob,
            wahPedal,
            meter,
            switches
        };

        // Test thread: decodes the pictures and draws the background; throws
        // if a picture does not decode.
        PanelArtwork();

        // Test thread: how many frames the strip stacks top to bottom.
        static int frameCount (Strip strip) noexcept;

        // Test thread: the frame a knob, pedal or meter shows for a value in
        // its range: linear in the value and truncated, so the last frame
        // shows only at the maximum.
        static int frameForValue (double value, double maximum, int frames) noexcept;

        // Test thread: draws a frame of the strip with its top left at the
        // top left of `bounds`.
        void drawFrame (Strip strip, int frame, Rectangle bounds);

        // Test thread: the composed panel.
        const PictureComposition& picture() const noexcept { return composition; }

    private:
        std::array<RgbaPicture, 5> strips;
        PictureComposition composition;
    };
}

#include "PanelArtwork.h"

#include "MainPanelLayout.h"

#include <stdexcept>
#include <string>

namespace e2e
{
    namespace
    {
        size_t indexOf (PanelArtwork::Strip strip) noexcept
        {
            return static_cast<size_t> (strip);
        }
    }

    PanelArtwork::PanelArtwork()
        : strips { decodeEmbeddedPicture (EmbeddedPicture::largeKnobStrip),
                   decodeEmbeddedPicture (EmbeddedPicture::smallKnobStrip),
                   decodeEmbeddedPicture (EmbeddedPicture::wahPedalStrip),
                   decodeEmbeddedPicture (EmbeddedPicture::meterStrip),
                   decodeEmbeddedPicture (EmbeddedPicture::switchStrip) },
          composition (panel::width, panel::height)
    {
        const auto background = decodeEmbeddedPicture (EmbeddedPicture::background);
        composition.draw (background, { 0, 0, background.width, background.height }, { 0, 0 });
    }

    int PanelArtwork::frameCount (Strip strip) noexcept
    {
        switch (strip)
        {
            case Strip::largeKnob:
            case Strip::smallKnob:
            case Strip::meter:
                return 31;
            case Strip::wahPedal:
                return 30;
            case Strip::switches:
                return 2;
        }

        return 1;
    }

    int PanelArtwork::frameForValue (double value, double maximum, int frames) noexcept
    {
        return static_cast<int> (value / maximum * static_cast<double> (frames - 1));
    }

    void PanelArtwork::drawFrame (Strip strip, int frame, Rectangle bounds)
    {
        const auto& picture = strips[indexOf (strip)];
        const int frames = frameCount (strip);

        if (frame < 0 || frame >= frames)
            throw std::out_of_range ("frame " + std::to_string (frame) + " of a strip of " + std::to_string (frames));

        const int frameHeight = picture.height / frames;
        composition.draw (picture, { 0, frame * frameHeight, picture.width, frameHeight }, { bounds.x, bounds.y });
    }
}

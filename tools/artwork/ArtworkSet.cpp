#include "ArtworkSet.h"

#include "AboutPainter.h"
#include "BackgroundPainter.h"
#include "FontBook.h"
#include "IconPainter.h"
#include "KnobPainter.h"
#include "MeterPainter.h"
#include "PanelLayout.h"
#include "PedalPainter.h"
#include "SwitchPainter.h"

namespace velthorn::artwork
{

std::vector<Artwork> renderArtworkSet (const FontBook& fonts)
{
    std::vector<Artwork> set;
    set.push_back ({ "backgroundPicture.png", BackgroundPainter (fonts).render().toImage() });
    set.push_back ({ "largeKnobStrip.png", KnobPainter (layout::largeKnobRadius).renderStrip (40, 31).toImage() });
    set.push_back ({ "smallKnobStrip.png", KnobPainter (layout::smallKnobRadius).renderStrip (30, 31).toImage() });
    set.push_back ({ "meterStrip.png", MeterPainter().renderStrip (30, 110, 31).toImage() });
    set.push_back ({ "switchStrip.png", SwitchPainter().renderStrip (30, 60).toImage() });
    set.push_back ({ "wahPedalStrip.png", PedalPainter (150, 300, fonts).renderStrip (30).toImage() });
    set.push_back ({ "aboutPicture.png", AboutPainter (fonts).render().toImage() });

    // The application icon, one file per size, for the desktop's icon theme
    // and the running window.
    for (const auto size : IconPainter::sizes())
        set.push_back ({ "icons/velthorn-" + juce::String (size) + ".png", IconPainter().render (size).toImage() });

    return set;
}

} // namespace velthorn::artwork

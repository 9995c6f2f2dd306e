#include "ArtworkSet.h"

#include "FontBook.h"
#include "KnobPainter.h"
#include "MeterPainter.h"
#include "SwitchPainter.h"

namespace velthorn::artwork
{

std::vector<Artwork> renderArtworkSet (const FontBook&)
{
    std::vector<Artwork> set;
    set.push_back ({ "largeKnobStrip.png", KnobPainter (16.5).renderStrip (40, 31).toImage() });
    set.push_back ({ "smallKnobStrip.png", KnobPainter (12.2).renderStrip (30, 31).toImage() });
    set.push_back ({ "meterStrip.png", MeterPainter().renderStrip (30, 110, 31).toImage() });
    set.push_back ({ "switchStrip.png", SwitchPainter().renderStrip (30, 60).toImage() });
    return set;
}

} // namespace velthorn::artwork

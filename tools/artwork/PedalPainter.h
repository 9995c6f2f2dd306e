#pragma once

#include "Canvas.h"
#include "Vec3.h"

#include <vector>

namespace velthorn::artwork
{

/** The wah pedal, ray-marched in perspective: a black crinkle-finish cast
    body, a brushed aluminium treadle with a ribbed rubber tread rocking on a
    chrome axle near the heel, and its shadow on the panel. Frame 0 is heel
    down (toe up), the last frame toe down. Any thread; renderStrip uses two
    worker threads of its own.

    World space: x to the right, y up from the panel, z towards the heel, in
    units of roughly one pixel.
*/
class FontBook;

class PedalPainter final
{
public:
    /** Sets up the camera for frames of the given size in pixels and engraves the
        name on the toe. Message thread (lettering). */
    PedalPainter (int frameWidth, int frameHeight, const FontBook& fonts);

    /** Treadle angle for a frame, radians; positive lifts the toe. */
    static double treadleAngle (int frame, int frames) noexcept;

    /** Renders the strip of `frames` frames. */
    Canvas renderStrip (int frames) const;

    /** Shades one point of a frame, in frame pixel coordinates. */
    Rgba shade (double px, double py, double angle) const noexcept;

private:
    enum class Part { none, body, plate, tread, axle };

    struct Hit
    {
        double distance;
        Part part;
    };

    Hit scene (Vec3 p, double angle) const noexcept;
    Vec3 normalAt (Vec3 p, double angle) const noexcept;
    double softShadow (Vec3 from, Vec3 towardsLight, double angle) const noexcept;
    double occlusion (Vec3 p, Vec3 n, double angle) const noexcept;
    Vec3 toTreadle (Vec3 p, double angle) const noexcept;
    Vec3 toCamera (Vec3 worldDirection) const noexcept;
    double engraving (double u, double w) const noexcept;

    Vec3 eye, forward, right, up, worldLight, shadowLight;
    int width, height;
    std::vector<float> lettering;    // coverage of the name on the toe, row by row
    double focal, centreX, centreY;
};

} // namespace velthorn::artwork

#include "Shapes.h"

#include <algorithm>
#include <cmath>

namespace velthorn::artwork
{

namespace shapes
{
    double roundedRect (double x, double y, double hx, double hy, double radius) noexcept
    {
        const auto qx = std::abs (x) - hx + radius;
        const auto qy = std::abs (y) - hy + radius;
        const auto ox = std::max (qx, 0.0), oy = std::max (qy, 0.0);
        return std::sqrt (ox * ox + oy * oy) + std::min (std::max (qx, qy), 0.0) - radius;
    }

    double hexagon (double x, double y, double innerRadius) noexcept
    {
        // Flat top and bottom: the side normals point at 90, 30 and -30 degrees.
        constexpr double c30 = 0.86602540378443865, s30 = 0.5;
        const auto ax = std::abs (x), ay = std::abs (y);
        return std::max (ay, ax * c30 + ay * s30) - innerRadius;
    }
}

} // namespace velthorn::artwork

#pragma once

#include <cmath>

namespace velthorn::artwork
{

/** Signed distances to flat shapes (negative inside), in pixels. Any thread. */
namespace shapes
{
    /** Rectangle centred at the origin with half sizes hx, hy and corners rounded by radius. */
    double roundedRect (double x, double y, double hx, double hy, double radius) noexcept;

    /** Regular hexagon centred at the origin with the given inner radius (centre to
        flat side), flat sides at top and bottom. */
    double hexagon (double x, double y, double innerRadius) noexcept;

    /** Outward unit direction of a distance field at a point, by central differences. */
    template <typename Field>
    void gradient (const Field& field, double x, double y, double& gx, double& gy) noexcept
    {
        constexpr double e = 0.01;
        gx = field (x + e, y) - field (x - e, y);
        gy = field (x, y + e) - field (x, y - e);
        const auto len = gx * gx + gy * gy;

        if (len > 0.0)
        {
            const auto inv = 1.0 / std::sqrt (len);
            gx *= inv;
            gy *= inv;
        }
        else
        {
            gx = 0.0;
            gy = -1.0;
        }
    }
}

} // namespace velthorn::artwork

#pragma once

#include <cmath>

namespace velthorn::artwork
{

/** A small 3-vector for shading maths. Screen space is x right, y down,
    z towards the viewer; world space (the pedal) is documented where used.
    Any thread.
*/
struct Vec3
{
    double x = 0.0, y = 0.0, z = 0.0;

    Vec3() = default;
    Vec3 (double xIn, double yIn, double zIn) : x (xIn), y (yIn), z (zIn) {}

    Vec3 operator+ (Vec3 o) const noexcept  { return { x + o.x, y + o.y, z + o.z }; }
    Vec3 operator- (Vec3 o) const noexcept  { return { x - o.x, y - o.y, z - o.z }; }
    Vec3 operator* (double s) const noexcept { return { x * s, y * s, z * s }; }
    Vec3 operator- () const noexcept         { return { -x, -y, -z }; }

    double dot (Vec3 o) const noexcept       { return x * o.x + y * o.y + z * o.z; }
    Vec3 cross (Vec3 o) const noexcept       { return { y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x }; }
    double length() const noexcept           { return std::sqrt (dot (*this)); }

    Vec3 normalised() const noexcept
    {
        const auto len = length();
        return len > 0.0 ? *this * (1.0 / len) : Vec3 (0.0, 0.0, 1.0);
    }

    /** Mirrors this incoming direction about the normal n. */
    Vec3 reflectedAbout (Vec3 n) const noexcept { return *this - n * (2.0 * dot (n)); }
};

inline double clamp01 (double v) noexcept              { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); }
inline double lerp (double a, double b, double t) noexcept { return a + (b - a) * t; }

inline double smoothstep (double edge0, double edge1, double v) noexcept
{
    const auto t = clamp01 ((v - edge0) / (edge1 - edge0));
    return t * t * (3.0 - 2.0 * t);
}

constexpr double pi = 3.14159265358979323846;

inline double degreesToRadians (double d) noexcept { return d * pi / 180.0; }

} // namespace velthorn::artwork

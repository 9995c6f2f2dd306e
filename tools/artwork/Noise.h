#pragma once

#include <cstdint>

namespace velthorn::artwork
{

/** Hash-based value noise. Everything is a pure function of its arguments and
    the seed, so the pictures come out the same on every run. Any thread.
*/
namespace noise
{
    /** A well-mixed 32-bit hash of three integers. */
    std::uint32_t hash (std::int32_t x, std::int32_t y, std::uint32_t seed) noexcept;

    /** Uniform value in 0..1 for an integer lattice point. */
    double lattice (std::int32_t x, std::int32_t y, std::uint32_t seed) noexcept;

    /** Smooth 2D value noise in 0..1. */
    double value (double x, double y, std::uint32_t seed) noexcept;

    /** Smooth 1D value noise in 0..1. */
    double value1 (double x, std::uint32_t seed) noexcept;

    /** Fractal sum of value noise, normalised to 0..1. */
    double fbm (double x, double y, int octaves, std::uint32_t seed) noexcept;
}

/** A small fixed-seed generator for placing things (knots, pores). Any thread,
    one instance per user.
*/
class SeededRandom final
{
public:
    explicit SeededRandom (std::uint64_t seed) noexcept : state (seed) {}

    /** Next value in 0..1. */
    double next() noexcept;

private:
    std::uint64_t state;
};

} // namespace velthorn::artwork

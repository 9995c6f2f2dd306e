#include "Noise.h"

#include <cmath>

namespace velthorn::artwork
{

namespace noise
{
    std::uint32_t hash (std::int32_t x, std::int32_t y, std::uint32_t seed) noexcept
    {
        auto h = seed * 0x9e3779b9u;
        h ^= static_cast<std::uint32_t> (x) * 0x85ebca6bu;
        h = (h << 13) | (h >> 19);
        h ^= static_cast<std::uint32_t> (y) * 0xc2b2ae35u;
        h ^= h >> 16;
        h *= 0x7feb352du;
        h ^= h >> 15;
        h *= 0x846ca68bu;
        h ^= h >> 16;
        return h;
    }

    double lattice (std::int32_t x, std::int32_t y, std::uint32_t seed) noexcept
    {
        return static_cast<double> (hash (x, y, seed)) / 4294967295.0;
    }

    static double fade (double t) noexcept
    {
        return t * t * t * (t * (t * 6.0 - 15.0) + 10.0);
    }

    double value (double x, double y, std::uint32_t seed) noexcept
    {
        const auto fx = std::floor (x), fy = std::floor (y);
        const auto ix = static_cast<std::int32_t> (fx), iy = static_cast<std::int32_t> (fy);
        const auto tx = fade (x - fx), ty = fade (y - fy);

        const auto a = lattice (ix, iy, seed),     b = lattice (ix + 1, iy, seed);
        const auto c = lattice (ix, iy + 1, seed), d = lattice (ix + 1, iy + 1, seed);

        const auto top = a + (b - a) * tx;
        const auto bottom = c + (d - c) * tx;
        return top + (bottom - top) * ty;
    }

    double value1 (double x, std::uint32_t seed) noexcept
    {
        return value (x, 0.5, seed);
    }

    double fbm (double x, double y, int octaves, std::uint32_t seed) noexcept
    {
        double sum = 0.0, amplitude = 1.0, total = 0.0;

        for (int i = 0; i < octaves; ++i)
        {
            sum += amplitude * value (x, y, seed + static_cast<std::uint32_t> (i) * 101u);
            total += amplitude;
            x = x * 2.03 + 17.1;
            y = y * 2.03 + 5.7;
            amplitude *= 0.5;
        }

        return sum / total;
    }
}

double SeededRandom::next() noexcept
{
    // splitmix64: tiny, well distributed and fully reproducible.
    state += 0x9e3779b97f4a7c15ull;
    auto z = state;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    z ^= z >> 31;
    return static_cast<double> (z >> 11) / 9007199254740992.0;
}

} // namespace velthorn::artwork

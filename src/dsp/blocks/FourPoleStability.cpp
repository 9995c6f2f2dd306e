#include "FourPoleStability.h"

namespace
{
    using Wide = long double;

    // s + e == a + b exactly (Knuth's two-sum).
    void twoSum (Wide a, Wide b, Wide& s, Wide& e) noexcept
    {
        s = a + b;
        const Wide bv = s - a;
        e = (a - (s - bv)) + (b - bv);
    }

    // Several roundings' worth of the determinant's terms: a determinant
    // closer to 0 than this is not taken as proof.
    constexpr Wide proofMargin = 1.0e-12L;
}

bool fourPoleRecursionIsStable (float c1, float c2, float c3, float c4, float norm) noexcept
{
    const Wide n = norm;
    const Wide a1 = n * c1, a2 = n * c2, a3 = n * c3, a4 = n * c4;   // exact: 24-bit by 24-bit

    // a0 = 1 - (a4 + a3 + a2 + a1): the sum is kept as a value plus its exact
    // rounding errors, so the cancellation against 1 loses nothing.
    Wide sum, e1, e2, e3;
    twoSum (a4, a3, sum, e1);
    twoSum (sum, a2, sum, e2);
    twoSum (sum, a1, sum, e3);
    const Wide a0 = (1.0L - sum) - ((e1 + e2) + e3);

    // The polynomial in s: sum ai (2s)^i (1 + s)^(4 - i).
    const Wide r0 = a0;
    const Wide r1 = 4.0L * a0 + 2.0L * a1;
    const Wide r2 = 6.0L * a0 + 6.0L * a1 + 4.0L * a2;
    const Wide r3 = 4.0L * a0 + 6.0L * a1 + 8.0L * a2 + 8.0L * a3;
    const Wide r4 = a0 + 2.0L * a1 + 4.0L * a2 + 8.0L * a3 + 16.0L * a4;

    // Every coefficient positive (false for NaN too) ...
    if (! (r0 > 0.0L && r1 > 0.0L && r2 > 0.0L && r3 > 0.0L && r4 > 0.0L))
        return false;

    // ... and the third Hurwitz determinant positive (Lienard-Chipart, degree 4).
    const Wide t1 = r1 * r2 * r3;
    const Wide t2 = r0 * r3 * r3;
    const Wide t3 = r4 * r1 * r1;
    return (t1 - t2) - t3 > proofMargin * t1;
}

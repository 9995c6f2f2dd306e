#pragma once

// Whether the recursion a FourPoleFilter runs with its float coefficients
// keeps every pole strictly inside the unit circle.
//
// The step solves norm^-1 y = b D2 x - sum ci di for y, which is the
// polynomial e0 + c1 D + c2 D^2 + c3 D^3 + c4 D^4 in the backward difference
// D = 1 - 1/z, with e0 = 1/norm - (c1 + c2 + c3 + c4). Rounding norm to float
// moves e0 by up to about c4 * 2^-24, which for a low centre frequency is far
// larger than the 1 it stands for; that is what pushes poles out. A pole z is
// inside the unit circle exactly when |1 - D| > 1, and s = D / (2 - D) maps
// that region onto the left half-plane, so the test is the Routh-Hurwitz test
// of the polynomial in s, taken with norm multiplied through (every product
// norm * ci of two floats is exact, and e0 * norm = 1 - sum norm * ci is
// summed without error before its single rounding). Evaluated in long double,
// its last determinant has a relative error near 1e-18, while the stable float
// designs of the reachable settings leave it at least 1e-4 of its terms (the
// closest of their poles lies 1.1e-5 inside the circle); anything closer to 0
// than 1e-12 of them counts as not proven stable.
//
// Any thread (pure function).
bool fourPoleRecursionIsStable (float c1, float c2, float c3, float c4, float norm) noexcept;

#pragma once

// Quadratic soft clip y = x - x|x| / (4t) on [-2t, 2t], constant +-t beyond.
// Slope 1 at zero, output never above t in magnitude; a NaN passes through.
// Any thread (pure function).
float SoftClipper (float x, float threshold);

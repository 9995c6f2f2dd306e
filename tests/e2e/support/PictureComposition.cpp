#include "PictureComposition.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace e2e
{
    PictureComposition::PictureComposition (int width, int height)
        : w (width), h (height), canvas (static_cast<size_t> (width) * static_cast<size_t> (height) * 3, 255.0f)
    {
    }

    void PictureComposition::draw (const RgbaPicture& picture, Rectangle source, Point destination)
    {
        for (int sy = 0; sy < source.height; ++sy)
        {
            for (int sx = 0; sx < source.width; ++sx)
            {
                const int px = source.x + sx, py = source.y + sy;
                const int dx = destination.x + sx, dy = destination.y + sy;

                if (px < 0 || py < 0 || px >= picture.width || py >= picture.height
                    || dx < 0 || dy < 0 || dx >= w || dy >= h)
                    continue;

                const auto* const src = picture.at (px, py);
                const float alpha = static_cast<float> (src[3]) / 255.0f;
                auto* const dst = canvas.data() + (static_cast<size_t> (dy) * static_cast<size_t> (w) + static_cast<size_t> (dx)) * 3;

                for (int c = 0; c < 3; ++c)
                    dst[c] = static_cast<float> (src[c]) * alpha + dst[c] * (1.0f - alpha);
            }
        }
    }

    Rgb PictureComposition::pixel (int x, int y) const
    {
        const auto* const p = canvas.data() + (static_cast<size_t> (y) * static_cast<size_t> (w) + static_cast<size_t> (x)) * 3;
        return { static_cast<int> (std::lround (p[0])), static_cast<int> (std::lround (p[1])), static_cast<int> (std::lround (p[2])) };
    }

    int PictureComposition::countPixelsDifferentIn (const Screenshot& shot, Rectangle area, int tolerance) const
    {
        int count = 0;

        for (int y = std::max (area.y, 0); y < std::min ({ area.y + area.height, h, shot.height() }); ++y)
        {
            for (int x = std::max (area.x, 0); x < std::min ({ area.x + area.width, w, shot.width() }); ++x)
            {
                const auto expected = pixel (x, y);
                const auto actual = shot.pixel (x, y);

                if (std::abs (expected.red - actual.red) > tolerance
                    || std::abs (expected.green - actual.green) > tolerance
                    || std::abs (expected.blue - actual.blue) > tolerance)
                    ++count;
            }
        }

        return count;
    }
}

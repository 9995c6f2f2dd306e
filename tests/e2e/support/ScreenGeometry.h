#pragma once

namespace e2e
{
    // A position in pixels; what it is relative to is said where it is used.
    struct Point final
    {
        int x = 0;
        int y = 0;
    };

    // A rectangle in pixels.
    struct Rectangle final
    {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;

        // Any thread.
        Point centre() const noexcept { return { x + width / 2, y + height / 2 }; }
        // Any thread.
        bool contains (Point p) const noexcept { return p.x >= x && p.y >= y && p.x < x + width && p.y < y + height; }
    };
}

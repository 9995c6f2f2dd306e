#include "Canvas.h"

#include <algorithm>
#include <cmath>

namespace velthorn::artwork
{

Canvas::Canvas (int w, int h)
    : width (w), height (h), pixels (static_cast<size_t> (w) * static_cast<size_t> (h))
{
}

Rgba Canvas::getPixel (int x, int y) const noexcept
{
    return pixels[static_cast<size_t> (y) * static_cast<size_t> (width) + static_cast<size_t> (x)];
}

void Canvas::setPixel (int x, int y, Rgba c) noexcept
{
    pixels[static_cast<size_t> (y) * static_cast<size_t> (width) + static_cast<size_t> (x)] = c;
}

void Canvas::paint (juce::Rectangle<int> area, int oversampling, const Shader& shader)
{
    area = area.getIntersection ({ 0, 0, width, height });
    const auto n = static_cast<double> (oversampling * oversampling);

    for (int y = area.getY(); y < area.getBottom(); ++y)
    {
        for (int x = area.getX(); x < area.getRight(); ++x)
        {
            Rgba sum;

            for (int sy = 0; sy < oversampling; ++sy)
            {
                for (int sx = 0; sx < oversampling; ++sx)
                {
                    const auto c = shader (x + (sx + 0.5) / oversampling, y + (sy + 0.5) / oversampling);
                    sum.r += c.r; sum.g += c.g; sum.b += c.b; sum.a += c.a;
                }
            }

            const Rgba average { sum.r / n, sum.g / n, sum.b / n, sum.a / n };
            setPixel (x, y, average.over (getPixel (x, y)));
        }
    }
}

void Canvas::paintMask (const juce::Image& mask, int dx, int dy, Rgb colour, double opacity)
{
    paintMask (mask, dx, dy, [colour] (int, int) { return colour; }, opacity);
}

void Canvas::paintMask (const juce::Image& mask, int dx, int dy,
                        const std::function<Rgb (int x, int y)>& colour, double opacity)
{
    const juce::Image::BitmapData data (mask, juce::Image::BitmapData::readOnly);

    for (int y = 0; y < mask.getHeight(); ++y)
    {
        for (int x = 0; x < mask.getWidth(); ++x)
        {
            const auto tx = x + dx, ty = y + dy;

            if (tx < 0 || ty < 0 || tx >= width || ty >= height)
                continue;

            const auto coverage = data.getPixelColour (x, y).getFloatAlpha() * opacity;

            if (coverage > 0.0)
                setPixel (tx, ty, Rgba::withAlpha (colour (tx, ty), coverage).over (getPixel (tx, ty)));
        }
    }
}

void Canvas::paintCanvas (const Canvas& other, int dx, int dy)
{
    for (int y = 0; y < other.height; ++y)
        for (int x = 0; x < other.width; ++x)
            if (x + dx >= 0 && y + dy >= 0 && x + dx < width && y + dy < height)
                setPixel (x + dx, y + dy, other.getPixel (x, y).over (getPixel (x + dx, y + dy)));
}

void Canvas::fadeFrameBorders (int frameHeight, double fadeWidth)
{
    for (int y = 0; y < height; ++y)
    {
        const auto inFrame = y % frameHeight;

        for (int x = 0; x < width; ++x)
        {
            const auto d = std::min ({ x + 0.5, width - x - 0.5, inFrame + 0.5, frameHeight - inFrame - 0.5 });
            const auto k = smoothstep (0.5, 0.5 + fadeWidth, d);
            const auto c = getPixel (x, y);
            setPixel (x, y, { c.r * k, c.g * k, c.b * k, c.a * k });
        }
    }
}

static juce::uint8 toByte (double v) noexcept
{
    return static_cast<juce::uint8> (std::lround (std::clamp (v, 0.0, 1.0) * 255.0));
}

juce::Image Canvas::toImage() const
{
    // ARGB, not RGB: JUCE writes colour type 6 only for images with alpha.
    juce::Image image (juce::Image::ARGB, width, height, true, juce::SoftwareImageType());
    const juce::Image::BitmapData data (image, juce::Image::BitmapData::writeOnly);

    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            const auto c = getPixel (x, y);
            const auto a = toByte (c.a);

            // Premultiplied channels can never exceed their alpha.
            const auto channel = [a] (double v) { return std::min (a, toByte (v)); };

            auto* p = reinterpret_cast<juce::PixelARGB*> (data.getPixelPointer (x, y));
            p->setARGB (a, channel (c.r), channel (c.g), channel (c.b));
        }
    }

    return image;
}

} // namespace velthorn::artwork

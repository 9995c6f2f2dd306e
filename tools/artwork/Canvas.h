#pragma once

#include "Colour.h"

#include <juce_graphics/juce_graphics.h>

#include <functional>
#include <vector>

namespace velthorn::artwork
{

/** A floating-point, premultiplied RGBA picture that the painters build up in
    layers before it is quantised once into a juce::Image. Message thread or a
    worker thread that owns it exclusively.
*/
class Canvas final
{
public:
    /** Shades one point given in canvas pixel coordinates (pixel centres at +0.5). */
    using Shader = std::function<Rgba (double x, double y)>;

    Canvas (int width, int height);

    int getWidth() const noexcept  { return width; }
    int getHeight() const noexcept { return height; }

    Rgba getPixel (int x, int y) const noexcept;
    void setPixel (int x, int y, Rgba c) noexcept;

    /** Evaluates the shader on an oversampling x oversampling grid in every pixel of
        the area, averages the samples and lays the result over what is there. */
    void paint (juce::Rectangle<int> area, int oversampling, const Shader& shader);

    /** Lays a coverage mask (the alpha of an ARGB image) tinted with a colour over
        the canvas, the mask's top-left corner at (dx, dy). */
    void paintMask (const juce::Image& mask, int dx, int dy, Rgb colour, double opacity);

    /** As above, with the colour chosen per canvas pixel. */
    void paintMask (const juce::Image& mask, int dx, int dy,
                    const std::function<Rgb (int x, int y)>& colour, double opacity);

    /** Lays another canvas over this one at (dx, dy). */
    void paintCanvas (const Canvas& other, int dx, int dy);

    /** Fades everything out towards the edges of each frame of a vertical strip, so
        the outermost pixels are fully transparent and no shadow or glow ends in a
        visible seam where the control's bounds cut it off. */
    void fadeFrameBorders (int frameHeight, double fadeWidth);

    /** Quantises to 8-bit premultiplied ARGB, which the PNG writer stores as
        non-interlaced 8-bit RGBA. */
    juce::Image toImage() const;

private:
    int width, height;
    std::vector<Rgba> pixels;
};

} // namespace velthorn::artwork

#include "Screenshot.h"

#include "Environment.h"
#include "Polling.h"
#include "ToolRun.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace e2e
{
    namespace
    {
        // Reads one header field of a binary PPM, skipping blanks and comments.
        int readHeaderNumber (const std::vector<uint8_t>& bytes, size_t& pos)
        {
            for (;;)
            {
                while (pos < bytes.size() && std::isspace (bytes[pos]))
                    ++pos;

                if (pos < bytes.size() && bytes[pos] == '#')
                {
                    while (pos < bytes.size() && bytes[pos] != '\n')
                        ++pos;
                    continue;
                }

                break;
            }

            int value = 0;
            bool any = false;

            while (pos < bytes.size() && std::isdigit (bytes[pos]))
            {
                value = value * 10 + (bytes[pos++] - '0');
                any = true;
            }

            if (! any)
                throw std::runtime_error ("malformed PPM header");

            return value;
        }
    }

    Screenshot Screenshot::capture (const std::string& display, const std::string& windowId,
                                    const std::filesystem::path& pngFile, const std::filesystem::path& logDirectory)
    {
        const auto grab = runTool ({ "import", "-silent", "-window", windowId, pngFile.string() },
                                   Environment::minimal().set ("DISPLAY", display), logDirectory, toolTimeout);
        if (! grab.succeeded())
            throw std::runtime_error ("screenshot failed: " + grab.describe());

        return load (pngFile, logDirectory);
    }

    Screenshot Screenshot::load (const std::filesystem::path& pngFile, const std::filesystem::path& logDirectory)
    {
        // The PNG stays as the artefact; a plain 8-bit PPM copy is what gets read.
        const auto ppmFile = logDirectory / (pngFile.stem().string() + ".ppm");
        const auto convert = runTool ({ "convert", pngFile.string(), "-depth", "8", "ppm:" + ppmFile.string() },
                                      Environment::minimal(), logDirectory, toolTimeout);
        if (! convert.succeeded())
            throw std::runtime_error ("cannot decode screenshot: " + convert.describe());

        std::ifstream in (ppmFile, std::ios::binary);
        const std::vector<uint8_t> bytes ((std::istreambuf_iterator<char> (in)), std::istreambuf_iterator<char>());

        if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '6')
            throw std::runtime_error ("screenshot copy " + ppmFile.string() + " is not a binary PPM");

        size_t pos = 2;
        Screenshot shot;
        shot.pngFile = pngFile;
        shot.w = readHeaderNumber (bytes, pos);
        shot.h = readHeaderNumber (bytes, pos);
        const int maxValue = readHeaderNumber (bytes, pos);
        ++pos;   // the single blank before the pixels

        const auto expectedBytes = static_cast<size_t> (shot.w) * static_cast<size_t> (shot.h) * 3;

        if (maxValue != 255 || bytes.size() < pos + expectedBytes)
            throw std::runtime_error ("screenshot copy " + ppmFile.string() + " is truncated or not 8-bit");

        shot.rgb.assign (bytes.begin() + static_cast<std::ptrdiff_t> (pos),
                         bytes.begin() + static_cast<std::ptrdiff_t> (pos + expectedBytes));
        return shot;
    }

    Screenshot Screenshot::cropped (Rectangle area, const std::filesystem::path& croppedPng,
                                    const std::filesystem::path& logDirectory) const
    {
        if (area.x < 0 || area.y < 0 || area.width <= 0 || area.height <= 0
            || area.x + area.width > w || area.y + area.height > h)
            throw std::out_of_range ("cannot crop " + std::to_string (area.width) + "x" + std::to_string (area.height)
                                     + " at (" + std::to_string (area.x) + ", " + std::to_string (area.y)
                                     + ") from the " + std::to_string (w) + "x" + std::to_string (h)
                                     + " picture " + pngFile.string());

        // +repage drops the offset a crop keeps, so the new PNG starts at 0, 0.
        const auto geometry = std::to_string (area.width) + "x" + std::to_string (area.height)
                              + "+" + std::to_string (area.x) + "+" + std::to_string (area.y);
        const auto crop = runTool ({ "convert", pngFile.string(), "-crop", geometry, "+repage", croppedPng.string() },
                                   Environment::minimal(), logDirectory, toolTimeout);
        if (! crop.succeeded())
            throw std::runtime_error ("cannot crop screenshot: " + crop.describe());

        return load (croppedPng, logDirectory);
    }

    Rgb Screenshot::pixel (int x, int y) const
    {
        if (x < 0 || y < 0 || x >= w || y >= h)
            throw std::out_of_range ("pixel (" + std::to_string (x) + ", " + std::to_string (y)
                                     + ") is outside the " + std::to_string (w) + "x" + std::to_string (h) + " screenshot");

        const auto* const p = rgb.data() + (static_cast<size_t> (y) * static_cast<size_t> (w) + static_cast<size_t> (x)) * 3;
        return { p[0], p[1], p[2] };
    }

    Rgb Screenshot::averageColour (Rectangle area) const
    {
        long long sums[3] {};
        long long count = 0;

        for (int y = std::max (area.y, 0); y < std::min (area.y + area.height, h); ++y)
        {
            for (int x = std::max (area.x, 0); x < std::min (area.x + area.width, w); ++x)
            {
                const auto c = pixel (x, y);
                sums[0] += c.red;
                sums[1] += c.green;
                sums[2] += c.blue;
                ++count;
            }
        }

        if (count == 0)
            return {};

        return { static_cast<int> (sums[0] / count), static_cast<int> (sums[1] / count), static_cast<int> (sums[2] / count) };
    }

    int Screenshot::countPixelsDifferentFrom (Rectangle area, Rgb colour, int tolerance) const
    {
        int count = 0;

        for (int y = std::max (area.y, 0); y < std::min (area.y + area.height, h); ++y)
        {
            for (int x = std::max (area.x, 0); x < std::min (area.x + area.width, w); ++x)
            {
                const auto c = pixel (x, y);

                if (std::abs (c.red - colour.red) > tolerance
                    || std::abs (c.green - colour.green) > tolerance
                    || std::abs (c.blue - colour.blue) > tolerance)
                    ++count;
            }
        }

        return count;
    }

    int Screenshot::countPixelsDifferentIn (const Screenshot& other, Rectangle area, int tolerance) const
    {
        int count = 0;

        for (int y = std::max (area.y, 0); y < std::min ({ area.y + area.height, h, other.h }); ++y)
        {
            for (int x = std::max (area.x, 0); x < std::min ({ area.x + area.width, w, other.w }); ++x)
            {
                const auto a = pixel (x, y), b = other.pixel (x, y);

                if (std::abs (a.red - b.red) > tolerance
                    || std::abs (a.green - b.green) > tolerance
                    || std::abs (a.blue - b.blue) > tolerance)
                    ++count;
            }
        }

        return count;
    }
}

#include "PanelPictures.h"

#include "MainPanelLayout.h"
#include "Polling.h"

#include <optional>

namespace e2e
{
    bool isLampLit (const Screenshot& panelPicture, Rectangle switchBounds)
    {
        // Lit, the lamp is yellow; dark, it is a dim brown in the switch picture.
        const auto colour = panelPicture.averageColour (panel::lampOf (switchBounds));
        return colour.red > 128 && colour.green > 128;
    }

    Screenshot waitForLamp (const AppWindow& window, Rectangle switchBounds, bool lit, const std::filesystem::path& pngFile)
    {
        std::optional<Screenshot> shot;

        pollUntil (startupTimeout, [&]
        {
            shot = window.screenshotOfContent (pngFile);
            return isLampLit (*shot, switchBounds) == lit;
        });

        return *shot;
    }

    Screenshot waitForStartUpValues (const AppWindow& window, const std::filesystem::path& pngFile)
    {
        return waitForLamp (window, panel::ampButton, true, pngFile);
    }
}

#pragma once

#include "ScreenGeometry.h"

namespace e2e::panel
{
    // Where the main panel puts its controls, in panel (window content)
    // coordinates. Every image-drawn control is one frame of its picture.
    inline constexpr int width = 800;
    inline constexpr int height = 600;

    inline constexpr Rectangle distGainSlider { 110, 170, 40, 40 };
    inline constexpr Rectangle ampDrvSlider { 210, 170, 40, 40 };
    inline constexpr Rectangle delAmSlider { 310, 170, 40, 40 };
    inline constexpr Rectangle mastSlider { 410, 170, 40, 40 };
    inline constexpr Rectangle distFreqSlider { 115, 250, 30, 30 };
    inline constexpr Rectangle ampLoSlider { 215, 250, 30, 30 };
    inline constexpr Rectangle delTmeSlider { 315, 250, 30, 30 };
    inline constexpr Rectangle ampMidSlider { 215, 310, 30, 30 };
    inline constexpr Rectangle ampHiSlider { 215, 370, 30, 30 };
    inline constexpr Rectangle wahFreqSlider { 540, 130, 150, 300 };
    inline constexpr Rectangle wahResSlider { 570, 430, 30, 30 };
    inline constexpr Rectangle wahGainSlider { 635, 430, 30, 30 };
    inline constexpr Rectangle outputLevelSlider { 415, 250, 30, 110 };
    inline constexpr Rectangle distButton { 115, 430, 30, 60 };
    inline constexpr Rectangle ampButton { 215, 430, 30, 60 };
    inline constexpr Rectangle delButton { 315, 430, 30, 60 };
    inline constexpr Rectangle mastButton { 415, 430, 30, 60 };
    inline constexpr Rectangle wahButton { 515, 150, 30, 60 };
    inline constexpr Rectangle creditLink { 634, 572, 168, 24 };
    inline constexpr Rectangle fileButton { 0, 2, 48, 24 };

    // The lamp of a switch, relative to the switch: the opaque core of the
    // lamp in both frames of the switch picture (lit yellow when on, dark
    // when off), in the upper part of the switch.
    inline constexpr Rectangle lampInSwitch { 11, 9, 8, 8 };

    // Any thread: a switch's lamp in panel coordinates.
    constexpr Rectangle lampOf (Rectangle switchBounds) noexcept
    {
        return { switchBounds.x + lampInSwitch.x, switchBounds.y + lampInSwitch.y, lampInSwitch.width, lampInSwitch.height };
    }
}

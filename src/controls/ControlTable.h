#pragma once

#include "ChainSettings.h"
#include "ParameterMapping.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// Every control of Velthorn, one row each: what it is called, what it stores,
// which MIDI controller moves it, which member of the chain's settings it
// drives and where it stands on the panel. The engine's storage, the plugin's
// host parameters, the renderer's --set names, the panel's knobs and switches
// and the artwork generator's layout are all made from this table, so a new
// control is one new row here, the member of ChainSettings it drives and the
// DSP that reads it.
//
// Plain C++ and no framework, so the artwork generator can read the layout
// without the audio engine. Everything here is constant: any thread.
namespace velthorn::controls
{
    // A knob stores a level in 0..1; a switch stores 0 or 1 and is on from 1.
    enum class Kind
    {
        knob,
        toggle
    };

    // How a host shows the value.
    enum class Unit
    {
        milliseconds,   // delay time
        percent,        // delay amount: each echo's share of the one before
        hertz,
        decibels,
        plain,          // wah resonance: the filter's damping as stored
        onOff
    };

    // The filmstrip the panel draws the control with.
    enum class Picture
    {
        largeKnob,      // 40 x 40, 31 frames
        smallKnob,      // 30 x 30, 31 frames
        wahPedal,       // 150 x 300, 30 frames
        footSwitch      // 30 x 60, lamp and switch
    };

    // A rectangle on the 800 x 600 panel, in pixels.
    struct Rect
    {
        int x, y, width, height;
    };

    struct Control
    {
        const char* id;                 // the host's parameter id and the renderer's --set name; never changes
        const char* name;               // what a host lists
        int engineIndex;                // the engine's number for it (setParameter, the panel's host); never reused
        Kind kind;
        float defaultValue;             // as stored: 0..1, or 0 or 1 for a switch
        Unit unit;
        const LinearMapping* mapping;   // the chain's dB or Hz mapping, for the value text; null if none
        int midiController;             // the control change that moves it (any channel), or -1
        float ChainSettings::* level;           // the chain member a knob drives, null for a switch
        std::int32_t ChainSettings::* onOff;    // the chain member a switch drives, null for a knob
        Picture picture;
        Rect bounds;                    // on the panel
        int panelOrder;                 // creation (and stacking) order among the panel's knobs, or its switches
        const char* componentName;      // the panel component's name
        const char* caption;            // printed over the knob on the panel's picture, or null

        constexpr bool isSwitch() const noexcept { return kind == Kind::toggle; }
    };

    namespace detail
    {
        using S = ChainSettings;
        namespace Map = ParameterMapping;
        constexpr auto knob = Kind::knob;
        constexpr auto toggle = Kind::toggle;
        constexpr auto large = Picture::largeKnob;
        constexpr auto small = Picture::smallKnob;
        constexpr auto pedal = Picture::wahPedal;
        constexpr auto foot = Picture::footSwitch;
        constexpr float S::* noLevel = nullptr;
        constexpr std::int32_t S::* noSwitch = nullptr;
    }

    inline constexpr std::size_t numControls = 17;

    // In host order, which never changes: saved automation and projects
    // point at a control by its position too.
    inline constexpr std::array<Control, numControls> table { {
        // id          name                    idx kind          default unit             mapping                         CC  chain member                          picture        bounds                  order component          caption
        { "delTme",   "Delay Time",            0,  detail::knob,   0.5f, Unit::milliseconds, nullptr,                        -1, &detail::S::delTme,   detail::noSwitch,   detail::small, { 315, 250, 30, 30 },   6,  "delTmeSlider",   "Time" },
        { "delAm",    "Delay Amount",          1,  detail::knob,   0.5f, Unit::percent,      nullptr,                         6, &detail::S::delAm,    detail::noSwitch,   detail::large, { 310, 170, 40, 40 },   2,  "delAmSlider",    "Dry/Wet" },
        { "delOn",    "Delay",                 2,  detail::toggle, 0.0f, Unit::onOff,        nullptr,                         2, detail::noLevel,      &detail::S::delOn,  detail::foot,  { 315, 430, 30, 60 },   2,  "delButton",      nullptr },
        { "wahFreq",  "Wah Frequency",         3,  detail::knob,   1.0f, Unit::hertz,        &detail::Map::wahFrequency,      9, &detail::S::wahFreq,  detail::noSwitch,   detail::pedal, { 540, 130, 150, 300 }, 9,  "wahFreqSlider",  nullptr },
        { "wahRes",   "Wah Resonance",         4,  detail::knob,   0.3f, Unit::plain,        nullptr,                        -1, &detail::S::wahRes,   detail::noSwitch,   detail::small, { 570, 430, 30, 30 },   10, "wahResSlider",   "Res" },
        { "wahGain",  "Wah Gain",              5,  detail::knob,   0.7f, Unit::decibels,     &detail::Map::wahGain,          -1, &detail::S::wahGain,  detail::noSwitch,   detail::small, { 635, 430, 30, 30 },   11, "wahGainSlider",  "Gain" },
        { "wahOn",    "Wah",                   6,  detail::toggle, 0.0f, Unit::onOff,        nullptr,                         4, detail::noLevel,      &detail::S::wahOn,  detail::foot,  { 515, 150, 30, 60 },   4,  "wahButton",      nullptr },
        { "distGain", "Distortion Gain",       7,  detail::knob,   0.6f, Unit::decibels,     &detail::Map::distortionGain,    8, &detail::S::distGain, detail::noSwitch,   detail::large, { 110, 170, 40, 40 },   0,  "distGainSlider", "Gain" },
        { "distFreq", "Distortion Frequency",  8,  detail::knob,   0.4f, Unit::hertz,        &detail::Map::distortionFrequency, -1, &detail::S::distFreq, detail::noSwitch, detail::small, { 115, 250, 30, 30 },   4,  "distFreqSlider", "Tone" },
        { "distOn",   "Distortion",            9,  detail::toggle, 0.0f, Unit::onOff,        nullptr,                         0, detail::noLevel,      &detail::S::distOn, detail::foot,  { 115, 430, 30, 60 },   0,  "distButton",     nullptr },
        { "ampDrv",   "Amp Drive",             10, detail::knob,   0.7f, Unit::decibels,     &detail::Map::ampDrive,          7, &detail::S::ampDrv,   detail::noSwitch,   detail::large, { 210, 170, 40, 40 },   1,  "ampDrvSlider",   "Drive" },
        { "ampLo",    "Amp Low",               11, detail::knob,   0.5f, Unit::decibels,     &detail::Map::tone,             -1, &detail::S::ampLo,    detail::noSwitch,   detail::small, { 215, 250, 30, 30 },   5,  "ampLoSlider",    "Low" },
        { "ampMid",   "Amp Mid",               12, detail::knob,   0.5f, Unit::decibels,     &detail::Map::tone,             -1, &detail::S::ampMid,   detail::noSwitch,   detail::small, { 215, 310, 30, 30 },   7,  "ampMidSlider",   "Mid" },
        { "ampHi",    "Amp High",              13, detail::knob,   0.5f, Unit::decibels,     &detail::Map::tone,             -1, &detail::S::ampHi,    detail::noSwitch,   detail::small, { 215, 370, 30, 30 },   8,  "ampHiSlider",    "Hi" },
        { "ampOn",    "Amp",                   14, detail::toggle, 1.0f, Unit::onOff,        nullptr,                         1, detail::noLevel,      &detail::S::ampOn,  detail::foot,  { 215, 430, 30, 60 },   1,  "ampButton",      nullptr },
        { "mast",     "Master Level",          15, detail::knob,   0.6f, Unit::decibels,     &detail::Map::outputLevel,       5, &detail::S::mast,     detail::noSwitch,   detail::large, { 410, 170, 40, 40 },   3,  "mastSlider",     "Volume" },
        { "mastOn",   "Master",                17, detail::toggle, 1.0f, Unit::onOff,        nullptr,                         3, detail::noLevel,      &detail::S::mastOn, detail::foot,  { 415, 430, 30, 60 },   3,  "mastButton",     nullptr },
    } };

    // The position in the table of the control with this engine index, or -1
    // (16 is a free slot, and anything outside 0..17 is not a control).
    constexpr int positionOfIndex (int engineIndex) noexcept
    {
        for (std::size_t i = 0; i < table.size(); ++i)
            if (table[i].engineIndex == engineIndex)
                return static_cast<int> (i);

        return -1;
    }

    // The position of the control called exactly `id` (case matters), or -1.
    constexpr int positionOfId (std::string_view id) noexcept
    {
        for (std::size_t i = 0; i < table.size(); ++i)
            if (id == table[i].id)
                return static_cast<int> (i);

        return -1;
    }

    // The position of the control that a control change moves, or -1.
    constexpr int positionOfController (int controller) noexcept
    {
        for (std::size_t i = 0; i < table.size(); ++i)
            if (table[i].midiController >= 0 && table[i].midiController == controller)
                return static_cast<int> (i);

        return -1;
    }

    // The master switch: off, the input passes untouched; a plugin's bypass.
    inline constexpr int masterSwitchPosition = positionOfId ("mastOn");

    // The panel's other parts, which are not controls.
    inline constexpr int panelWidth = 800, panelHeight = 600;
    inline constexpr Rect meterBounds { 415, 250, 30, 110 };
    inline constexpr Rect fileButtonBounds { 0, 2, 48, 24 };
    inline constexpr Rect creditLinkBounds { 634, 572, 168, 24 };

    namespace detail
    {
        // A row's default is the chain's own starting value, so a chain made
        // before any control is read runs as the engine does from its start.
        constexpr bool defaultsMatchChainSettings() noexcept
        {
            constexpr ChainSettings fresh {};

            for (const auto& control : table)
            {
                const float chainDefault = control.isSwitch() ? static_cast<float> (fresh.*control.onOff)
                                                              : fresh.*control.level;

                if (chainDefault != control.defaultValue)
                    return false;
                if ((control.level == nullptr) != control.isSwitch() || (control.onOff == nullptr) == control.isSwitch())
                    return false;
            }

            return true;
        }

        constexpr bool idsIndicesAndControllersAreUnique() noexcept
        {
            for (std::size_t i = 0; i < table.size(); ++i)
            {
                for (std::size_t j = i + 1; j < table.size(); ++j)
                {
                    if (std::string_view (table[i].id) == table[j].id || table[i].engineIndex == table[j].engineIndex)
                        return false;
                    if (table[i].midiController >= 0 && table[i].midiController == table[j].midiController)
                        return false;
                    if (table[i].isSwitch() == table[j].isSwitch() && table[i].panelOrder == table[j].panelOrder)
                        return false;
                }
            }

            return true;
        }

        static_assert (defaultsMatchChainSettings());
        static_assert (idsIndicesAndControllersAreUnique());
        static_assert (masterSwitchPosition >= 0);
    }
}

#pragma once

#include "AudioMidiHandler.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>

// What the panel tests of the app, the control panel and the plugin editor
// share: finding a control by its name, and which engine member each knob
// and switch stands for.
namespace paneltest
{
    // Message thread: the child of `panel` named `name`, of type Control; a
    // test failure (and an exception) when there is none.
    template <typename Control>
    Control& control (juce::Component& panel, const juce::String& name)
    {
        for (auto* child : panel.getChildren())
            if (child->getName() == name)
                if (auto* typed = dynamic_cast<Control*> (child))
                    return *typed;

        ADD_FAILURE() << "no control named " << name;
        throw std::runtime_error ("missing control");
    }

    struct KnobIndex
    {
        const char* name;
        int index;
        float ChainSettings::* member;
    };

    inline const KnobIndex knobs[] = {
        { "distGainSlider", 7, &ChainSettings::distGain }, { "ampDrvSlider", 10, &ChainSettings::ampDrv },
        { "delAmSlider", 1, &ChainSettings::delAm },       { "mastSlider", 15, &ChainSettings::mast },
        { "distFreqSlider", 8, &ChainSettings::distFreq }, { "ampLoSlider", 11, &ChainSettings::ampLo },
        { "delTmeSlider", 0, &ChainSettings::delTme },     { "ampMidSlider", 12, &ChainSettings::ampMid },
        { "ampHiSlider", 13, &ChainSettings::ampHi },      { "wahFreqSlider", 3, &ChainSettings::wahFreq },
        { "wahResSlider", 4, &ChainSettings::wahRes },     { "wahGainSlider", 5, &ChainSettings::wahGain },
    };

    struct SwitchIndex
    {
        const char* name;
        std::int32_t ChainSettings::* member;
    };

    inline const SwitchIndex switches[] = {
        { "distButton", &ChainSettings::distOn }, { "ampButton", &ChainSettings::ampOn },
        { "delButton", &ChainSettings::delOn },   { "mastButton", &ChainSettings::mastOn },
        { "wahButton", &ChainSettings::wahOn },
    };
}

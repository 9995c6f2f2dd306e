#pragma once

#include "AudioMidiHandler.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

#include <atomic>
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
        std::atomic<float> AudioMidiHandler::* member;
    };

    inline const KnobIndex knobs[] = {
        { "distGainSlider", 7, &AudioMidiHandler::distGain }, { "ampDrvSlider", 10, &AudioMidiHandler::ampDrv },
        { "delAmSlider", 1, &AudioMidiHandler::delAm },       { "mastSlider", 15, &AudioMidiHandler::mast },
        { "distFreqSlider", 8, &AudioMidiHandler::distFreq }, { "ampLoSlider", 11, &AudioMidiHandler::ampLo },
        { "delTmeSlider", 0, &AudioMidiHandler::delTme },     { "ampMidSlider", 12, &AudioMidiHandler::ampMid },
        { "ampHiSlider", 13, &AudioMidiHandler::ampHi },      { "wahFreqSlider", 3, &AudioMidiHandler::wahFreq },
        { "wahResSlider", 4, &AudioMidiHandler::wahRes },     { "wahGainSlider", 5, &AudioMidiHandler::wahGain },
    };

    struct SwitchIndex
    {
        const char* name;
        std::atomic<int32_t> AudioMidiHandler::* member;
    };

    inline const SwitchIndex switches[] = {
        { "distButton", &AudioMidiHandler::distOn }, { "ampButton", &AudioMidiHandler::ampOn },
        { "delButton", &AudioMidiHandler::delOn },   { "mastButton", &AudioMidiHandler::mastOn },
        { "wahButton", &AudioMidiHandler::wahOn },
    };
}

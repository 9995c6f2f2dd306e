#pragma once

#include "HostedPlugin.h"
#include "Scenario.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace harness
{
    // Message thread: a block size for every call; 0 means random sizes
    // from 1 to 4096.
    using BlockSizes = std::function<int (int callIndex)>;

    // Message thread: plays the scenario through the plugin as a host does:
    // settings first, then blocks of the given sizes, cut where automation
    // falls (the host sets those parameters before the block that starts
    // there), MIDI at its offset within the block. Returns the output.
    //
    // This framework's VST3 host turns a control change into a parameter
    // change for the whole block (through the plugin's MIDI mapping), so it
    // lands on the block's first sample; for VST3 the blocks are also cut
    // where a control change falls, as a host must to keep it in place.
    juce::AudioBuffer<float> play (HostedPlugin& plugin, const Scenario& scenario, const BlockSizes& blockSizes);

    // Any thread: whether every sample is finite and none is subnormal.
    ::testing::AssertionResult finiteAndNormal (const juce::AudioBuffer<float>& audio);

    // Any thread: whether both buffers hold exactly the same bits.
    ::testing::AssertionResult bitIdentical (const std::string& what, const juce::AudioBuffer<float>& expected,
                                             const juce::AudioBuffer<float>& actual);
}

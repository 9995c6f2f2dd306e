#pragma once

#include "HostedPlugin.h"

#include <juce_core/juce_core.h>

#include <optional>
#include <vector>

namespace harness
{
    // Message thread: the plugin formats this harness loads: the LV2 and the
    // VST3 on Linux, the VST3 alone on Windows (a Windows build makes no LV2).
    std::vector<Format> hostedFormats();

    // Message thread: a hosted format other than `format`, to compare with,
    // if the harness loads one.
    std::optional<Format> otherHostedFormat (Format format);

    // Message thread, before any plugin is loaded: what the formats' hosts
    // need from the process's environment.
    void prepareHostEnvironment();

    // Message thread: the file the framework's VST3 host is given for the
    // built bundle `bundle`.
    juce::String vst3FileToLoad (const juce::File& bundle);
}

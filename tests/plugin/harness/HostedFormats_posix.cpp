#include "HostedFormats.h"

#include <cstdlib>

namespace harness
{
    std::vector<Format> hostedFormats()
    {
        return { Format::lv2, Format::vst3 };
    }

    void prepareHostEnvironment()
    {
        // The LV2 host finds plugins through LV2_PATH: only the build tree,
        // so an installed copy cannot stand in for the plugin under test.
        const auto lv2Folder = juce::File (VELTHORN_LV2_BUNDLE).getParentDirectory().getFullPathName();
        ::setenv ("LV2_PATH", lv2Folder.toRawUTF8(), 1);
    }

    juce::String vst3FileToLoad (const juce::File& bundle)
    {
        return bundle.getFullPathName();
    }
}

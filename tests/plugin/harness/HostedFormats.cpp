#include "HostedFormats.h"

namespace harness
{
    std::optional<Format> otherHostedFormat (Format format)
    {
        for (const auto other : hostedFormats())
            if (other != format)
                return other;

        return std::nullopt;
    }
}

#if defined (_WIN32)

namespace harness
{
    std::vector<Format> hostedFormats()
    {
        return { Format::vst3 };
    }

    void prepareHostEnvironment()
    {
    }

    juce::String vst3FileToLoad (const juce::File& bundle)
    {
        // This framework's VST3 host on Windows loads the library inside
        // the bundle; given the bundle folder, it finds nothing.
        return bundle.getChildFile ("Contents").getChildFile ("x86_64-win").getChildFile (bundle.getFileName()).getFullPathName();
    }
}

#else

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

#endif

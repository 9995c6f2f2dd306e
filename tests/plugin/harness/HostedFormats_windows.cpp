#include "HostedFormats.h"

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

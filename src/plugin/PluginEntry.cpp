#include "VelthornProcessor.h"

// The plugin client's factory: one new, independent instance per call.
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new VelthornProcessor();
}

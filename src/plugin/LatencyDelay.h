#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

// Delays a stretch of a buffer's channels by a few samples, with memory from
// one call to the next: what the host's bypass sends through, so that it
// comes out as late as the processed sound does when the chain runs
// oversampled, and the host's delay compensation stays right either way.
//
// Sized on the message thread (prepare); used on the audio thread, where it
// allocates nothing.
class LatencyDelay final
{
public:
    // Message thread, never during process. Up to numChannels channels,
    // delays up to maximumDelay samples; starts silent.
    void prepare (int numChannels, int maximumDelay);

    // Audio thread. Channels 0 .. numChannels-1 of buffer, samples
    // start .. start+length-1, come out `delay` samples later (0 .. the
    // maximum; 0 passes them as they are). A change of delay starts from
    // silence.
    void process (juce::AudioBuffer<float>& buffer, int numChannels, int start, int length, int delay) noexcept;

private:
    std::vector<std::vector<float>> lines;
    int writePosition = 0;
    int currentDelay = 0;
};

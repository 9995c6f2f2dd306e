#pragma once

#include "StereoBuffer.h"

#include <cstddef>
#include <string>
#include <vector>

namespace windowstest
{
    // A stretch of silence a sound system put into a stream. Under wine two
    // kinds happen when its threads fall behind: the framework's Windows
    // Audio device starts a block with silence when less input has come than
    // the block needs (the input is then late by that much from there on),
    // and wine plays silence when the app's output comes late.
    struct InsertedSilence final
    {
        enum class Side
        {
            input,
            output
        };

        Side side = Side::input;
        size_t at = 0;       // the frame of the stream where it starts
        size_t frames = 0;

        // Any thread: "12 frames into the input at frame 34567".
        std::string describe() const;
    };

    // How a recording of the app's answer comes about.
    struct RecordingExplained final
    {
        // Whether the recording is, frame for frame, the engine's answer to
        // deliveredInput with `silences` put into the streams.
        bool explained = false;
        // The input as the app received it: the played input with the input
        // silences in it.
        e2e::StereoBuffer deliveredInput;
        // The recording without the output silences, frame k answering
        // deliveredInput frame k.
        e2e::StereoBuffer answerToDelivered;
        std::vector<InsertedSilence> silences;
        // When not explained: where and why not.
        std::string failure;
    };

    // Test thread: explains `recorded` (the app's answer to `played`, aligned
    // on the first sound, as long as `played`) as the engine's answer
    // (computed offline at `sampleRate` with the start-up settings) to
    // `played` with stretches of silence of up to `longestSilence` frames put
    // into the input or the output. Each difference from the engine's answer
    // must be one such stretch, and what follows it must then be the
    // engine's answer again to the bit; anything else is left unexplained.
    RecordingExplained explainRecording (const e2e::StereoBuffer& played, const e2e::StereoBuffer& recorded,
                                         double sampleRate, size_t longestSilence);
}

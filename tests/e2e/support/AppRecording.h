#pragma once

#include "JackServer.h"
#include "StereoBuffer.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

namespace e2e
{
    // Test thread: plays `input` into the running app and records what it puts
    // out, aligned to the input.
    //
    // The input goes left into Velthorn:in_1 and right into in_2, and nothing
    // else goes into those ports; Velthorn:out_1 and out_2 are recorded. The
    // recording is aligned on its first non-zero sample, which must answer
    // input frame `firstSoundingFrame` (where the engine's answer to this
    // input first sounds); never on an assumed latency. Everything recorded
    // before it must be silence on both outputs. On success `answer` holds
    // input.size() frames: frame k is what the app put out for input frame k.
    //
    // The app must have opened its JACK device and registered its engine
    // (VelthornApp::waitForJackDevice and waitForMainWindow) beforehand.
    ::testing::AssertionResult recordAppAnswer (const JackServer& server, const StereoBuffer& input,
                                                size_t firstSoundingFrame, StereoBuffer& answer);

    // The JACK ports of a program under test: where the test signal goes in
    // and where its answer comes out (full names, "client:port").
    struct PortsUnderTest final
    {
        std::string leftIn, rightIn, leftOut, rightOut;
    };

    // Test thread: recordAppAnswer for any JACK program (a plugin host, say),
    // with these ports in place of Velthorn's.
    ::testing::AssertionResult recordAnswer (const JackServer& server, const PortsUnderTest& ports,
                                             const StereoBuffer& input, size_t firstSoundingFrame,
                                             StereoBuffer& answer);
}

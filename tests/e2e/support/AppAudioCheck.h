#pragma once

#include "AppRecording.h"
#include "JackServer.h"

#include <gtest/gtest.h>

#include <functional>

class AudioMidiHandler;

namespace e2e
{
    // Test thread: checks that the running app turns sound into exactly what
    // the real engine computes offline.
    //
    // Plays `seconds` of the test signal (left into Velthorn:in_1, right into
    // in_2, and nothing else into those ports) followed by half a second of
    // silence, records Velthorn:out_1 and out_2, and compares with an offline
    // render of the same input through a fresh AudioMidiHandler (parameters as
    // set by `configure`, defaults otherwise). The streams are aligned on the
    // first non-zero sample of each, never on an assumed latency; everything
    // recorded before that must be silence, everything after must match bit
    // for bit, and both outputs must be identical.
    //
    // The app must have opened its JACK device and registered its engine
    // (VelthornApp::waitForJackDevice and waitForMainWindow) beforehand.
    ::testing::AssertionResult appOutputMatchesEngine (const JackServer& server, double seconds,
                                                       const std::function<void (AudioMidiHandler&)>& configure = {});

    // Test thread: the same through other ports than Velthorn's own (the
    // app on an ALSA device that ALSA's jack plugin routes into JACK).
    ::testing::AssertionResult outputMatchesEngine (const JackServer& server, const PortsUnderTest& ports, double seconds,
                                                    const std::function<void (AudioMidiHandler&)>& configure = {});
}

#include "AppAudioCheck.h"

#include "AppRecording.h"
#include "OfflineRender.h"
#include "SampleComparison.h"
#include "TestSignal.h"
#include "VelthornApp.h"

namespace e2e
{
    ::testing::AssertionResult appOutputMatchesEngine (const JackServer& server, double seconds,
                                                       const std::function<void (AudioMidiHandler&)>& configure)
    {
        const PortsUnderTest ports { VelthornApp::jackPort ("in_1"), VelthornApp::jackPort ("in_2"),
                                     VelthornApp::jackPort ("out_1"), VelthornApp::jackPort ("out_2") };
        return outputMatchesEngine (server, ports, seconds, configure);
    }

    ::testing::AssertionResult outputMatchesEngine (const JackServer& server, const PortsUnderTest& ports, double seconds,
                                                    const std::function<void (AudioMidiHandler&)>& configure)
    {
        const double rate = JackServer::sampleRate;
        const auto signalFrames = static_cast<size_t> (seconds * rate);
        const auto tailFrames = static_cast<size_t> (rate / 2);

        // The played input: the signal, then silence, so echoes and filter
        // tails are compared too.
        auto input = makeTestSignal (signalFrames, rate);
        input.left.resize (signalFrames + tailFrames, 0.0f);
        input.right.resize (signalFrames + tailFrames, 0.0f);

        const auto expected = renderThroughEngine (input, rate, JackServer::periodFrames, configure);
        const auto expectedStart = firstNonZero (expected.left);

        if (! expectedStart.has_value())
            return ::testing::AssertionFailure() << "the offline engine turned the whole test signal into silence, "
                                                    "so there is nothing to align the recording on";

        StereoBuffer answer;

        if (auto recorded = recordAnswer (server, ports, input, *expectedStart, answer); ! recorded)
            return recorded;

        if (auto left = samplesBitwiseEqual (ports.leftOut + " against the offline engine",
                                             expected.left, 0, answer.left, 0, input.size()); ! left)
            return left;

        if (auto right = samplesBitwiseEqual (ports.rightOut + " against the offline engine",
                                              expected.right, 0, answer.right, 0, input.size()); ! right)
            return right;

        return samplesBitwiseEqual (ports.rightOut + " against " + ports.leftOut, answer.left, 0, answer.right, 0, answer.size());
    }
}

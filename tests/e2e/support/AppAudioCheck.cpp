#include "AppAudioCheck.h"

#include "JackPlayRecord.h"
#include "OfflineRender.h"
#include "Polling.h"
#include "SampleComparison.h"
#include "TestSignal.h"
#include "VelthornApp.h"

#include <chrono>

namespace e2e
{
    ::testing::AssertionResult appOutputMatchesEngine (const JackServer& server, double seconds,
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

        // Room for however long it takes between arming the recorder and the
        // player's first period: normally a few periods, on a stalled machine
        // perhaps seconds.
        const auto leadAllowance = static_cast<size_t> (10 * rate);
        JackPlayRecord io (server, input, leadAllowance + input.size());

        io.playInto (VelthornApp::jackPort ("in_1"), VelthornApp::jackPort ("in_2"));
        io.recordFrom (VelthornApp::jackPort ("out_1"), VelthornApp::jackPort ("out_2"));
        // The app's inputs also listen to system:capture, which JUCE
        // connected; the app must receive the test signal and nothing else.
        io.makePlayerTheOnlySourceOf (VelthornApp::jackPort ("in_1"));
        io.makePlayerTheOnlySourceOf (VelthornApp::jackPort ("in_2"));

        // Only once the recorder runs does the player start, so the recording
        // holds silence first and then the beginning of the answer.
        io.startRecording();
        if (! io.waitForFramesRecorded (1, startupTimeout))
            return ::testing::AssertionFailure() << "the test's recorder received nothing from JACK: " << io.describeState();

        io.startPlaying();
        const auto playingTime = std::chrono::milliseconds (static_cast<long long> (4000.0 * static_cast<double> (input.size()) / rate));

        if (! pollUntil (startupTimeout + playingTime, [&] { return io.framesPlayed() == input.size(); }))
            return ::testing::AssertionFailure() << "the test signal did not finish playing: " << io.describeState();

        const auto answerStart = firstNonZero (io.recording().left);

        if (! answerStart.has_value())
            return ::testing::AssertionFailure() << "Velthorn:out_1 stayed silent while the test signal played: "
                                                 << io.describeState();

        if (*answerStart < *expectedStart)
            return ::testing::AssertionFailure() << "Velthorn:out_1 sounded at recorded frame " << *answerStart
                                                 << ", before the engine's first sound (frame " << *expectedStart
                                                 << " of its answer) could have arrived: " << io.describeState();

        const size_t offset = *answerStart - *expectedStart;

        if (offset > leadAllowance)
            return ::testing::AssertionFailure() << "the answer started " << offset << " frames into the recording, "
                                                 << "too late to record it whole: " << io.describeState();

        if (! io.waitForFramesRecorded (offset + input.size(), startupTimeout))
            return ::testing::AssertionFailure() << "the recording stopped short: " << io.describeState();

        const auto recorded = io.recording();
        const auto state = " (" + io.describeState() + ")";

        if (auto silentBefore = samplesSilent ("Velthorn:out_1 before the test signal" + state, recorded.left, 0, offset); ! silentBefore)
            return silentBefore;

        if (auto left = samplesBitwiseEqual ("Velthorn:out_1 against the offline engine" + state,
                                             expected.left, 0, recorded.left, offset, input.size()); ! left)
            return left;

        if (auto right = samplesBitwiseEqual ("Velthorn:out_2 against the offline engine" + state,
                                              expected.right, 0, recorded.right, offset, input.size()); ! right)
            return right;

        return samplesBitwiseEqual ("Velthorn:out_2 against Velthorn:out_1" + state,
                                    recorded.left, 0, recorded.right, 0, recorded.size());
    }
}

#include "AppRecording.h"

#include "JackPlayRecord.h"
#include "Polling.h"
#include "SampleComparison.h"
#include "VelthornApp.h"

#include <chrono>

namespace e2e
{
    ::testing::AssertionResult recordAppAnswer (const JackServer& server, const StereoBuffer& input,
                                                size_t firstSoundingFrame, StereoBuffer& answer)
    {
        const PortsUnderTest ports { VelthornApp::jackPort ("in_1"), VelthornApp::jackPort ("in_2"),
                                     VelthornApp::jackPort ("out_1"), VelthornApp::jackPort ("out_2") };
        return recordAnswer (server, ports, input, firstSoundingFrame, answer);
    }

    ::testing::AssertionResult recordAnswer (const JackServer& server, const PortsUnderTest& ports,
                                             const StereoBuffer& input, size_t firstSoundingFrame,
                                             StereoBuffer& answer)
    {
        const double rate = JackServer::sampleRate;

        // Room for however long it takes between arming the recorder and the
        // player's first period: normally a few periods, on a stalled machine
        // perhaps seconds.
        const auto leadAllowance = static_cast<size_t> (10 * rate);
        JackPlayRecord io (server, input, leadAllowance + input.size());

        io.playInto (ports.leftIn, ports.rightIn);
        io.recordFrom (ports.leftOut, ports.rightOut);
        // The inputs may also listen to system:capture (JUCE and most hosts
        // connect it); they must receive the test signal and nothing else.
        io.makePlayerTheOnlySourceOf (ports.leftIn);
        io.makePlayerTheOnlySourceOf (ports.rightIn);

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
            return ::testing::AssertionFailure() << ports.leftOut << " stayed silent while the test signal played: "
                                                 << io.describeState();

        if (*answerStart < firstSoundingFrame)
            return ::testing::AssertionFailure() << ports.leftOut << " sounded at recorded frame " << *answerStart
                                                 << ", before the engine's first sound (frame " << firstSoundingFrame
                                                 << " of its answer) could have arrived: " << io.describeState();

        const size_t offset = *answerStart - firstSoundingFrame;

        if (offset > leadAllowance)
            return ::testing::AssertionFailure() << "the answer started " << offset << " frames into the recording, "
                                                 << "too late to record it whole: " << io.describeState();

        if (! io.waitForFramesRecorded (offset + input.size(), startupTimeout))
            return ::testing::AssertionFailure() << "the recording stopped short: " << io.describeState();

        const auto recorded = io.recording();
        const auto state = " (" + io.describeState() + ")";

        if (auto silentBefore = samplesSilent (ports.leftOut + " before the test signal" + state, recorded.left, 0, offset); ! silentBefore)
            return silentBefore;

        if (auto silentBefore = samplesSilent (ports.rightOut + " before the test signal" + state, recorded.right, 0, offset); ! silentBefore)
            return silentBefore;

        const auto begin = recorded.left.begin() + static_cast<std::ptrdiff_t> (offset);
        const auto beginRight = recorded.right.begin() + static_cast<std::ptrdiff_t> (offset);
        const auto frames = static_cast<std::ptrdiff_t> (input.size());
        answer = { std::vector<float> (begin, begin + frames), std::vector<float> (beginRight, beginRight + frames) };
        return ::testing::AssertionSuccess();
    }
}

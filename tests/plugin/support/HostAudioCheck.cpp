#include "HostAudioCheck.h"

#include "SampleComparison.h"
#include "TestSignal.h"

namespace hosttest
{
    ::testing::AssertionResult hostOutputMatchesRenderer (const e2e::JackServer& server,
                                                          const e2e::PortsUnderTest& ports,
                                                          const std::vector<Setting>& settings,
                                                          double seconds,
                                                          const std::filesystem::path& workFolder)
    {
        const double rate = e2e::JackServer::sampleRate;
        const auto signalFrames = static_cast<size_t> (seconds * rate);
        const auto tailFrames = static_cast<size_t> (rate / 2);

        auto input = e2e::makeTestSignal (signalFrames, rate);
        input.left.resize (signalFrames + tailFrames, 0.0f);
        input.right.resize (signalFrames + tailFrames, 0.0f);

        const auto expected = renderWithTool (input, rate, settings, workFolder);

        if (expected.size() != input.size())
            return ::testing::AssertionFailure() << "velthorn-render wrote " << expected.size() << " frames for "
                                                 << input.size() << " of input";

        const auto expectedStart = e2e::firstNonZero (expected.left);

        if (! expectedStart.has_value())
            return ::testing::AssertionFailure() << "velthorn-render turned the whole test signal into silence, "
                                                    "so there is nothing to align the recording on";

        e2e::StereoBuffer answer;

        if (auto recorded = e2e::recordAnswer (server, ports, input, *expectedStart, answer); ! recorded)
            return recorded;

        if (auto left = e2e::samplesBitwiseEqual (ports.leftOut + " against velthorn-render",
                                                  expected.left, 0, answer.left, 0, input.size()); ! left)
            return left;

        if (auto right = e2e::samplesBitwiseEqual (ports.rightOut + " against velthorn-render",
                                                   expected.right, 0, answer.right, 0, input.size()); ! right)
            return right;

        return e2e::samplesBitwiseEqual (ports.rightOut + " against " + ports.leftOut,
                                         answer.left, 0, answer.right, 0, answer.size());
    }
}

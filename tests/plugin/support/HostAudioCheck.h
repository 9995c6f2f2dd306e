#pragma once

#include "AppRecording.h"
#include "JackServer.h"
#include "ReferenceRender.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace hosttest
{
    // Test thread: plays `seconds` of the end-to-end test signal (left into
    // ports.leftIn, right into ports.rightIn, nothing else into those)
    // followed by half a second of silence through a running host, records
    // ports.leftOut and ports.rightOut, and compares with velthorn-render run
    // over the same input with the same settings. The streams are aligned on
    // the first non-zero sample of each, never on an assumed latency;
    // everything recorded before must be silence, everything after must match
    // bit for bit, and both outputs must be identical.
    ::testing::AssertionResult hostOutputMatchesRenderer (const e2e::JackServer& server,
                                                          const e2e::PortsUnderTest& ports,
                                                          const std::vector<Setting>& settings,
                                                          double seconds,
                                                          const std::filesystem::path& workFolder);
}

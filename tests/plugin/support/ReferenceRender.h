#pragma once

#include "StereoBuffer.h"

#include <filesystem>
#include <string>
#include <vector>

namespace hosttest
{
    // One --set of velthorn-render: a parameter by its name, in the
    // renderer's terms (knobs 0..1, switches 0 or 1).
    struct Setting final
    {
        std::string name;
        float value = 0.0f;
    };

    // Test thread: what velthorn-render makes of `input`: the input is
    // written as a 32-bit float stereo WAV at `sampleRate` into workFolder,
    // rendered with these settings and read back. Throws, with the tool's
    // output, when the renderer fails.
    e2e::StereoBuffer renderWithTool (const e2e::StereoBuffer& input, double sampleRate,
                                      const std::vector<Setting>& settings,
                                      const std::filesystem::path& workFolder);

    // Test thread: "name=value" for a host's command line; the value written
    // so that it reads back as exactly the same float.
    std::string assignment (const Setting& setting);
}

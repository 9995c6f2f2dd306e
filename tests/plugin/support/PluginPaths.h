#pragma once

#include <filesystem>
#include <string>

namespace hosttest
{
    // Test thread: the folder holding Velthorn.lv2 in the build tree (what
    // LV2_PATH names for a host).
    std::filesystem::path lv2Folder();
    // Test thread: the Velthorn.vst3 bundle in the build tree.
    std::filesystem::path vst3Bundle();
    // Test thread: the velthorn-render binary built alongside.
    std::filesystem::path rendererBinary();

    // The LV2 plugin's URI, as hosts name it.
    inline const std::string lv2Uri = "https://velthorn.audio/plugins/velthorn";
}

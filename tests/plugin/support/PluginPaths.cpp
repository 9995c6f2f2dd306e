#include "PluginPaths.h"

#if ! defined (VELTHORN_LV2_FOLDER) || ! defined (VELTHORN_VST3_BUNDLE) || ! defined (VELTHORN_RENDER_PATH)
 #error "the build must name the plugin bundles and the renderer"
#endif

namespace hosttest
{
    std::filesystem::path lv2Folder()
    {
        return VELTHORN_LV2_FOLDER;
    }

    std::filesystem::path vst3Bundle()
    {
        return VELTHORN_VST3_BUNDLE;
    }

    std::filesystem::path rendererBinary()
    {
        return VELTHORN_RENDER_PATH;
    }
}

# The framework's LV2 wrapper restores a plugin's state from one string,
# "<byte count>.<base64>", with MemoryBlock::fromBase64Encoding, which makes
# room for the byte count before it reads anything else. A damaged project
# whose count is huge ("99999999999999999999.…") or negative ("-5.…") ends
# the host with std::bad_alloc, thrown out of the plugin through the
# wrapper's C callback, before the plugin's own code is called.
#
# This builds the LV2 wrapper of juce_audio_plugin_client from a copy in
# which a state string is decoded only when its count is one the string can
# stand behind (cmake/juce-patches/Lv2StateString.h); any other is refused
# with LV2_STATE_ERR_UNKNOWN and the plugin keeps its settings. No exception
# leaves the state callbacks: one that escapes saving or restoring is
# reported to the host as a failure instead.

velthorn_patch_juce_module(juce_audio_plugin_client LV2/juce_LV2_Client.cpp)
velthorn_use_patched_juce_module(juce_audio_plugin_client juce_audio_plugin_client_LV2)
file(COPY "${CMAKE_CURRENT_LIST_DIR}/juce-patches/Lv2StateString.h"
     DESTINATION "${VELTHORN_PATCHED_JUCE_ROOT}/juce_audio_plugin_client/LV2")

velthorn_juce_patch_read(juce_audio_plugin_client LV2/juce_LV2_Client.cpp)

velthorn_juce_patch_replace(
"#include <fstream>
"
"#include <fstream>

#include \"Lv2StateString.h\"
")

velthorn_juce_patch_replace(
"        String text (static_cast<const char*> (data), (size_t) size);
        MemoryBlock block;
        block.fromBase64Encoding (text);
        processor->setStateInformation (block.getData(), (int) block.getSize());
"
"        String text (static_cast<const char*> (data), (size_t) size);

        if (! isSoundLv2StateString (text))
            return LV2_STATE_ERR_UNKNOWN;

        MemoryBlock block;
        block.fromBase64Encoding (text);
        processor->setStateInformation (block.getData(), (int) block.getSize());
")

velthorn_juce_patch_replace(
"                    return static_cast<LV2PluginInstance*> (instance)->store (store, handle, flags, features);"
"                    try
                    {
                        return static_cast<LV2PluginInstance*> (instance)->store (store, handle, flags, features);
                    }
                    catch (...)
                    {
                        return LV2_STATE_ERR_UNKNOWN;
                    }")

velthorn_juce_patch_replace(
"                    return static_cast<LV2PluginInstance*> (instance)->retrieve (retrieve, handle, flags, features);"
"                    try
                    {
                        return static_cast<LV2PluginInstance*> (instance)->retrieve (retrieve, handle, flags, features);
                    }
                    catch (...)
                    {
                        return LV2_STATE_ERR_UNKNOWN;
                    }")

velthorn_juce_patch_write()

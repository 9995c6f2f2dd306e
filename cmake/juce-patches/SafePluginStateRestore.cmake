# The framework's plugin wrappers hand a saved project's state to the plugin
# after reading it their own way, and two of those ways let a damaged project
# harm the host before the plugin's own checks can refuse it:
#
#   - LV2 keeps the state in one string, "<byte count>.<base64>", decoded
#     with MemoryBlock::fromBase64Encoding, which makes room for the byte
#     count before it reads anything else. A count that is huge
#     ("99999999999999999999.…") or negative ("-5.…") ends the host with
#     std::bad_alloc, thrown out of the plugin through the wrapper's C
#     callback. Here a string is decoded only when its count is one the
#     string can stand behind (cmake/juce-patches/Lv2StateString.h); any
#     other is refused with LV2_STATE_ERR_UNKNOWN.
#   - VST3 finds the framework's private data at the end of the state by a
#     length stored there, and subtracts it from the state's size unchecked:
#     a length larger than the state wraps the size round, and the plugin is
#     told its data is far longer than what the host gave. Here such a state
#     is refused.
#
# A refused state leaves the plugin's settings as they were. No exception
# leaves the state callbacks of either wrapper: one that escapes saving or
# restoring is reported to the host as a failure instead.

# (The module is copied in VelthornJuce.cmake, from its table of patches.)
velthorn_use_patched_juce_module(juce_audio_plugin_client juce_audio_plugin_client_LV2)
velthorn_use_patched_juce_module(juce_audio_plugin_client juce_audio_plugin_client_VST3)
file(COPY "${CMAKE_CURRENT_LIST_DIR}/Lv2StateString.h"
     DESTINATION "${VELTHORN_PATCHED_JUCE_ROOT}/juce_audio_plugin_client/LV2")

# LV2: the state string's byte count is checked; the state callbacks catch.
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

# VST3: the private data's length is checked; the state callbacks catch.
velthorn_juce_patch_read(juce_audio_plugin_client VST3/juce_VST3_Wrapper.cpp)

velthorn_juce_patch_replace(
"                privateDataSize = ByteOrder::swapIfBigEndian (privateDataSize);
                size -= privateDataSize + jucePrivDataIdentifierSize + sizeof (uint64);
"
"                privateDataSize = ByteOrder::swapIfBigEndian (privateDataSize);

                // Before the private data come its zero-length marker and
                // the plugin's own data; a length beyond that is damage.
                if (size < jucePrivDataIdentifierSize + 2 * sizeof (uint64)
                    || privateDataSize > size - jucePrivDataIdentifierSize - 2 * sizeof (uint64))
                    return;

                size -= privateDataSize + jucePrivDataIdentifierSize + sizeof (uint64);
")

velthorn_juce_patch_replace(
"    tresult PLUGIN_API setState (IBStream* state) override
    {"
"    tresult PLUGIN_API setState (IBStream* state) override
    {
        try
        {
            return setStateWithoutCatching (state);
        }
        catch (...)
        {
            return kResultFalse;
        }
    }

    tresult setStateWithoutCatching (IBStream* state)
    {")

velthorn_juce_patch_replace(
"    tresult PLUGIN_API getState (IBStream* state) override
    {"
"    tresult PLUGIN_API getState (IBStream* state) override
    {
        try
        {
            return getStateWithoutCatching (state);
        }
        catch (...)
        {
            return kResultFalse;
        }
    }

    tresult getStateWithoutCatching (IBStream* state)
    {")

velthorn_juce_patch_write()

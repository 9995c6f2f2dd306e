# The JUCE modules are compiled once, into one static library that the app,
# the renderer and every test executable link. JUCE's module targets are
# interface libraries that add their sources to whoever links them; linking
# them privately into this one library keeps those sources out of everything
# else.

include(${CMAKE_CURRENT_LIST_DIR}/juce-patches/PatchedJuceModule.cmake)

# Every patch of the framework, in the order it is applied: its script in
# cmake/juce-patches/ (beside any header it adds to the framework), the
# platforms it is for, and the framework files it rewrites. Each module named
# here is built from a copy without those files, which the scripts then write;
# every text a script replaces must be found exactly once.
#   patch                     platforms        framework files
set(VELTHORN_JUCE_PATCHES
    "QuietLinuxRepaints        linux            juce_gui_basics/native/juce_linux_Windowing.cpp"
    "LockFreeAudioCallbacks    linux,windows    juce_audio_devices/native/juce_linux_JackAudio.cpp juce_audio_devices/audio_io/juce_AudioDeviceManager.cpp"
    "RecoverableAlsaDevices    linux            juce_audio_devices/native/juce_linux_ALSA.cpp"
    "SafePluginStateRestore    linux,windows    juce_audio_plugin_client/LV2/juce_LV2_Client.cpp juce_audio_plugin_client/VST3/juce_VST3_Wrapper.cpp"
    "WindowsRepaints           windows          juce_gui_basics/native/juce_win32_Windowing.cpp"
    "WindowsCloseRequests      windows          juce_events/native/juce_win32_Messaging.cpp"
    # Last: it assembles the rest of the Windows module tree around the patched modules.
    "WindowsJuceModules        windows          juce_core/juce_core.h")

if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
    set(VELTHORN_JUCE_PLATFORM windows)
else()
    set(VELTHORN_JUCE_PLATFORM linux)
endif()

set(VELTHORN_JUCE_PATCH_SCRIPTS)
set(VELTHORN_JUCE_PATCHED_MODULES)
foreach(entry IN LISTS VELTHORN_JUCE_PATCHES)
    separate_arguments(fields UNIX_COMMAND "${entry}")
    list(POP_FRONT fields patch platforms)
    string(REPLACE "," ";" platforms "${platforms}")
    if(NOT VELTHORN_JUCE_PLATFORM IN_LIST platforms)
        continue()
    endif()
    list(APPEND VELTHORN_JUCE_PATCH_SCRIPTS ${patch})
    foreach(path IN LISTS fields)
        string(FIND "${path}" "/" slash)
        string(SUBSTRING "${path}" 0 ${slash} module)
        math(EXPR rest "${slash} + 1")
        string(SUBSTRING "${path}" ${rest} -1 file)
        if(NOT module IN_LIST VELTHORN_JUCE_PATCHED_MODULES)
            list(APPEND VELTHORN_JUCE_PATCHED_MODULES ${module})
        endif()
        list(APPEND VELTHORN_JUCE_PATCHED_FILES_${module} ${file})
    endforeach()
endforeach()

foreach(module IN LISTS VELTHORN_JUCE_PATCHED_MODULES)
    velthorn_patch_juce_module(${module} ${VELTHORN_JUCE_PATCHED_FILES_${module}})
endforeach()

if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
    # The framework's own codecs are compiled in (WindowsJuceModules).
    set(VELTHORN_CODEC_LIBRARIES)
    set(VELTHORN_PLATFORM_DEFINITIONS)
else()
    find_package(PkgConfig REQUIRED)
    # Debian strips JUCE's bundled codecs; the system libraries stand in for them.
    pkg_check_modules(VELTHORN_CODECS REQUIRED IMPORTED_TARGET
        libpng libjpeg flac vorbis vorbisfile vorbisenc ogg zlib)
    set(VELTHORN_CODEC_LIBRARIES PkgConfig::VELTHORN_CODECS)
    set(VELTHORN_PLATFORM_DEFINITIONS
        JUCE_JACK=1
        JUCE_ALSA=1
        JUCE_JACK_CLIENT_NAME="Velthorn")
endif()

foreach(patch IN LISTS VELTHORN_JUCE_PATCH_SCRIPTS)
    include(${CMAKE_CURRENT_LIST_DIR}/juce-patches/${patch}.cmake)
endforeach()

# The framework in two libraries, each module compiled once per build:
# velthorn_juce_base holds every module but the plugin classes, and
# velthorn_juce adds those as the app and the plugins use them, without host
# code. The plugin host harness adds them with host code to the same base
# (velthorn_add_juce_module_sources), instead of compiling the whole
# framework a second time.
add_library(velthorn_juce_base STATIC)

# The fuzzing build needs no window: the engine and the file readers only.
# juce_dsp is the engine's resampler for the oversampled chain.
if(VELTHORN_BUILD_FUZZ)
    set(VELTHORN_JUCE_BASE_MODULES juce_core juce_data_structures juce_events
        juce_audio_basics juce_audio_devices juce_audio_formats juce_dsp)
    set(VELTHORN_JUCE_PLUGIN_MODULES)
else()
    set(VELTHORN_JUCE_BASE_MODULES juce_core juce_data_structures juce_events juce_graphics juce_gui_basics
        juce_gui_extra juce_audio_basics juce_audio_devices juce_audio_formats juce_dsp)
    set(VELTHORN_JUCE_PLUGIN_MODULES juce_audio_processors juce_audio_utils)
endif()
list(TRANSFORM VELTHORN_JUCE_BASE_MODULES PREPEND "juce::")

target_link_libraries(velthorn_juce_base
    PRIVATE
        ${VELTHORN_JUCE_BASE_MODULES}
    PUBLIC
        ${VELTHORN_CODEC_LIBRARIES}
        juce::juce_recommended_config_flags)

target_compile_definitions(velthorn_juce_base
    PUBLIC
        JUCE_MODAL_LOOPS_PERMITTED=1
        ${VELTHORN_PLATFORM_DEFINITIONS}
        JUCE_WEB_BROWSER=0
        JUCE_USE_CURL=0
        JUCE_DISPLAY_SPLASH_SCREEN=0
        JUCE_REPORT_APP_USAGE=0
        # The resampler would otherwise set its filters' tiny values to zero
        # at the end of every block, which makes the output depend on where
        # the blocks end; the engine flushes subnormal numbers to zero
        # itself (ScopedNoDenormals), sample by sample.
        JUCE_DSP_ENABLE_SNAP_TO_ZERO=0
    INTERFACE
        $<TARGET_PROPERTY:velthorn_juce_base,COMPILE_DEFINITIONS>)

target_include_directories(velthorn_juce_base
    INTERFACE
        $<TARGET_PROPERTY:velthorn_juce_base,INCLUDE_DIRECTORIES>)

set_target_properties(velthorn_juce_base PROPERTIES
    POSITION_INDEPENDENT_CODE ON)

# velthorn_add_juce_module_sources (<target> <module> [<module> ...])
#     compiles the modules' own sources into the target, with their include
#     folders and definitions, but not the sources of the modules they depend
#     on: the target links velthorn_juce_base for those. (Linking a module's
#     target would compile all its dependencies again.)
function(velthorn_add_juce_module_sources target)
    target_link_libraries(${target} PUBLIC velthorn_juce_base)
    foreach(module IN LISTS ARGN)
        get_target_property(sources ${module} INTERFACE_SOURCES)
        target_sources(${target} PRIVATE ${sources})
        target_compile_definitions(${target} PUBLIC JUCE_MODULE_AVAILABLE_${module}=1)
        target_include_directories(${target} PUBLIC $<TARGET_PROPERTY:${module},INTERFACE_INCLUDE_DIRECTORIES>)
        target_compile_definitions(${target} PUBLIC $<TARGET_PROPERTY:${module},INTERFACE_COMPILE_DEFINITIONS>)
        target_compile_options(${target} PRIVATE $<TARGET_PROPERTY:${module},INTERFACE_COMPILE_OPTIONS>)
    endforeach()
endfunction()

if(VELTHORN_JUCE_PLUGIN_MODULES)
    add_library(velthorn_juce STATIC)
    velthorn_add_juce_module_sources(velthorn_juce ${VELTHORN_JUCE_PLUGIN_MODULES})
    set(velthorn_juce_scope PUBLIC)
    set_target_properties(velthorn_juce PROPERTIES POSITION_INDEPENDENT_CODE ON)
else()
    add_library(velthorn_juce INTERFACE)
    target_link_libraries(velthorn_juce INTERFACE velthorn_juce_base)
    set(velthorn_juce_scope INTERFACE)
endif()

# The plugins link this same library, so these definitions are also theirs:
# JUCE_VST3_CAN_REPLACE_VST2=0 because there is no VST2 version to replace,
# and no JUCE_STANDALONE_APPLICATION (nothing in the modules reads it; the
# plugins' shared code defines it from JucePlugin_Build_Standalone). The
# host switches are read by juce_audio_processors alone, which is why the
# base can be shared with the host harness.
target_compile_definitions(velthorn_juce
    ${velthorn_juce_scope}
        JUCE_PLUGINHOST_VST3=0
        JUCE_PLUGINHOST_LADSPA=0
        JUCE_PLUGINHOST_LV2=0
        JUCE_VST3_CAN_REPLACE_VST2=0)

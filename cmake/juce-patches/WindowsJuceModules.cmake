# The framework's modules for a Windows build: Debian's modules plus the
# codecs Debian removed (third_party/juce-codecs), assembled at configure time
# in one tree, ${VELTHORN_PATCHED_JUCE_ROOT}, which every module target then
# compiles from and includes from.
#
# Debian's juce_core.h forces the framework to the system's zlib, libFLAC,
# Ogg Vorbis, libjpeg and libpng, of which Debian has no Windows builds. In
# the assembled tree that block is gone and zlib is the bundled one again, as
# in the framework's own release, so the bundled codecs are compiled in.
#
# Include after PatchedJuceModule.cmake and after every other module patch
# the Windows build takes: the modules patched there are already in the tree.

set(VELTHORN_JUCE_CODECS_DIR "${PROJECT_SOURCE_DIR}/third_party/juce-codecs")

# (The module is copied in VelthornJuce.cmake, from its table of patches.)
velthorn_juce_patch_read(juce_core juce_core.h)

velthorn_juce_patch_replace(
"/** Debian specific constants
  - Debian, we don't use embedded libraries
*/
#ifdef JUCE_INCLUDE_ZLIB_CODE
# undef JUCE_INCLUDE_ZLIB_CODE
#endif
#define JUCE_INCLUDE_ZLIB_CODE 0

#ifdef JUCE_INCLUDE_FLAC_CODE
# undef JUCE_INCLUDE_FLAC_CODE
#endif
#define JUCE_INCLUDE_FLAC_CODE 0

#ifdef JUCE_INCLUDE_OGGVORBIS_CODE
# undef JUCE_INCLUDE_OGGVORBIS_CODE
#endif
#define JUCE_INCLUDE_OGGVORBIS_CODE 0

#ifdef JUCE_INCLUDE_JPEGLIB_CODE
# undef JUCE_INCLUDE_JPEGLIB_CODE
#endif
#define JUCE_INCLUDE_JPEGLIB_CODE 0

#ifdef JUCE_INCLUDE_PNGLIB_CODE
# undef JUCE_INCLUDE_PNGLIB_CODE
#endif
#define JUCE_INCLUDE_PNGLIB_CODE 0
/** Debian specifics END
*/
"
"")

velthorn_juce_patch_replace(
"#ifndef JUCE_INCLUDE_ZLIB_CODE
 #define JUCE_INCLUDE_ZLIB_CODE 0
#endif"
"#ifndef JUCE_INCLUDE_ZLIB_CODE
 #define JUCE_INCLUDE_ZLIB_CODE 1
#endif")

velthorn_juce_patch_write()

# Every module the package defines, whole, except those a patch has already
# copied (without the files it rewrote).
get_property(_juce_all_modules GLOBAL PROPERTY _juce_module_names)
get_property(_juce_patched_modules GLOBAL PROPERTY VELTHORN_PATCHED_JUCE_MODULES)

foreach(_juce_module IN LISTS _juce_all_modules)
    if(NOT _juce_module IN_LIST _juce_patched_modules)
        file(COPY "${JUCE_MODULES_DIR}/${_juce_module}" DESTINATION "${VELTHORN_PATCHED_JUCE_ROOT}")
    endif()
endforeach()

# The codec folders at their places in the modules.
foreach(_juce_module juce_core juce_audio_formats juce_graphics)
    file(COPY "${VELTHORN_JUCE_CODECS_DIR}/${_juce_module}" DESTINATION "${VELTHORN_PATCHED_JUCE_ROOT}")
endforeach()

# Every module target (and the plugin wrappers and header targets beside
# them) compiles and includes from the assembled tree, never from Debian's.
get_directory_property(_juce_targets DIRECTORY "${PROJECT_SOURCE_DIR}" BUILDSYSTEM_TARGETS)

foreach(_juce_target IN LISTS _juce_targets)
    if(NOT _juce_target MATCHES "^juce_")
        continue()
    endif()

    get_target_property(_juce_type ${_juce_target} TYPE)

    if(NOT _juce_type STREQUAL "INTERFACE_LIBRARY")
        continue()
    endif()

    foreach(_juce_property INTERFACE_SOURCES INTERFACE_INCLUDE_DIRECTORIES
                           INTERFACE_JUCE_MODULE_SOURCES INTERFACE_JUCE_MODULE_HEADERS INTERFACE_JUCE_MODULE_PATH)
        get_target_property(_juce_value ${_juce_target} ${_juce_property})

        if(_juce_value)
            string(REPLACE "${JUCE_MODULES_DIR}" "${VELTHORN_PATCHED_JUCE_ROOT}" _juce_value "${_juce_value}")
            set_property(TARGET ${_juce_target} PROPERTY ${_juce_property} "${_juce_value}")
        endif()
    endforeach()
endforeach()

# The package links juce_core with the system's zlib; the bundled one is in
# the module now.
get_target_property(_juce_core_links juce_core INTERFACE_LINK_LIBRARIES)
list(REMOVE_ITEM _juce_core_links z)
set_property(TARGET juce_core PROPERTY INTERFACE_LINK_LIBRARIES "${_juce_core_links}")

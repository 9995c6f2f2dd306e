# What a Windows build holds (see cmake/mingw-w64-x86_64.cmake). Every
# program is linked statically (the toolchain file) and, in a Release build,
# stripped. The tests of these programs run on Linux, under wine, from the
# Linux build (tests/windows).

# The C library's descriptor calls (lseek) with 64-bit offsets, as on Linux:
# a render longer than 2 GB must not wrap its file position.
add_compile_definitions(_FILE_OFFSET_BITS=64)
enable_language(RC)
add_link_options($<$<CONFIG:Release>:-s>)

include(cmake/WindowsAudioDevices.cmake)

# Where packaging/windows makes the icon and the version header that
# Velthorn.exe's resources (packaging/windows/Velthorn.rc) take in.
set(VELTHORN_WINDOWS_RESOURCE_DIR ${CMAKE_BINARY_DIR}/packaging/windows/resources)
set(VELTHORN_WINDOWS_ICON ${VELTHORN_WINDOWS_RESOURCE_DIR}/Velthorn.ico)

# Velthorn.exe (with the icon resource IDI_ICON1), velthorn-render.exe and
# Velthorn.vst3, each beside its Linux build; then the installer and the zip.
add_subdirectory(src/assets)
add_subdirectory(src/engine)
add_subdirectory(src/ui)
add_subdirectory(src/app)
add_subdirectory(src/plugin)
add_subdirectory(src/render)
add_subdirectory(packaging/windows)

# Windows programs of the tests under wine (tests/windows): the plugin host
# harness, to load the VST3 as a Windows host does, a host's scan of the
# folders where Windows hosts look for plugins, a console to start
# Velthorn.exe from, and a close request for its hidden windows.
if(VELTHORN_BUILD_TESTS)
    add_subdirectory(tests/plugin/harness)
    add_subdirectory(tests/windows/vst3-scan)
    add_subdirectory(tests/windows/console-parent)
    add_subdirectory(tests/windows/close-hidden)
endif()

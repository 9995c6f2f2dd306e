# What a Windows build holds (see cmake/mingw-w64-x86_64.cmake). Every
# program is linked statically (the toolchain file) and, in a Release build,
# stripped. The tests of these programs run on Linux, under wine, from the
# Linux build (tests/windows).

# The C library's descriptor calls (lseek) with 64-bit offsets, as on Linux:
# a render longer than 2 GB must not wrap its file position.
add_compile_definitions(_FILE_OFFSET_BITS=64)
enable_language(RC)
add_link_options($<$<CONFIG:Release>:-s>)

# velthorn-render.exe
add_subdirectory(src/engine)
add_subdirectory(tools/render)

# Still to come here, each beside its Linux build:
#   Velthorn.exe          src/assets, src/ui, src/app (with the icon resource IDI_ICON1)
#   Velthorn.vst3         src/plugin
#   installer and zip     packaging/windows

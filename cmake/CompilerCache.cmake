# Compiles through ccache where it is installed. CI runs on the machine the
# developer built on, from a fresh clone in another folder, so paths are
# hashed relative to the source tree (base_dir) and the working directory is
# left out of the hash (hash_dir): the same source then hits the same cache
# entry from any checkout. VELTHORN_CCACHE=OFF compiles without it.
option(VELTHORN_CCACHE "Compile through ccache when it is installed" ON)

find_program(VELTHORN_CCACHE_PROGRAM ccache)
if(VELTHORN_CCACHE AND VELTHORN_CCACHE_PROGRAM)
    set(velthorn_launcher
        ${CMAKE_COMMAND} -E env
            CCACHE_BASEDIR=${CMAKE_SOURCE_DIR}
            CCACHE_NOHASHDIR=1
            CCACHE_MAXSIZE=30G
            CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
            ${VELTHORN_CCACHE_PROGRAM})
    set(CMAKE_C_COMPILER_LAUNCHER ${velthorn_launcher})
    set(CMAKE_CXX_COMPILER_LAUNCHER ${velthorn_launcher})
endif()

# Runs the artwork generator once and fails unless it wrote exactly the
# pictures committed in src/assets, byte for byte. That holds only if the
# generator gives the same bytes on every run (no clock, no unseeded noise, no
# system font), and if nobody changed the generator without committing what
# it now draws, or the pictures without the generator.
#   cmake -DGENERATOR=<path> -DASSETS_DIR=<src/assets> -DWORK_DIR=<scratch folder> -P CommittedArtwork.cmake

file(REMOVE_RECURSE "${WORK_DIR}")

execute_process(COMMAND "${GENERATOR}" "${WORK_DIR}"
    RESULT_VARIABLE result
    OUTPUT_QUIET)

if(NOT result EQUAL 0)
    message(FATAL_ERROR "the generator failed (${result})")
endif()

file(GLOB_RECURSE drawn RELATIVE "${WORK_DIR}" "${WORK_DIR}/*.png")
file(GLOB_RECURSE committed RELATIVE "${ASSETS_DIR}" "${ASSETS_DIR}/*.png")
list(SORT drawn)
list(SORT committed)

if(NOT drawn STREQUAL committed)
    message(FATAL_ERROR "the generator drew ${drawn}\nwhile src/assets holds ${committed}")
endif()

list(LENGTH drawn count)

if(count EQUAL 0)
    message(FATAL_ERROR "the generator drew no pictures")
endif()

set(differing "")

foreach(picture IN LISTS drawn)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files
            "${WORK_DIR}/${picture}" "${ASSETS_DIR}/${picture}"
        RESULT_VARIABLE different)

    if(different)
        list(APPEND differing "${picture}")
    endif()
endforeach()

if(differing)
    message(FATAL_ERROR "the generator draws ${differing} otherwise than src/assets holds; "
        "the pictures it drew are kept in ${WORK_DIR} (the velthorn-artwork target redraws src/assets)")
endif()

file(REMOVE_RECURSE "${WORK_DIR}")
message(STATUS "the generator drew the ${count} committed pictures byte for byte")

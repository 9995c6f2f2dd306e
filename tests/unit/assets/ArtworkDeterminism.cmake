# Runs the artwork generator twice and fails unless both runs wrote the same
# files with the same bytes.
#   cmake -DGENERATOR=<path> -DWORK_DIR=<scratch folder> -P ArtworkDeterminism.cmake

file(REMOVE_RECURSE "${WORK_DIR}")

foreach(run first second)
    execute_process(COMMAND "${GENERATOR}" "${WORK_DIR}/${run}"
        RESULT_VARIABLE result
        OUTPUT_QUIET)

    if(NOT result EQUAL 0)
        message(FATAL_ERROR "the generator failed on its ${run} run (${result})")
    endif()
endforeach()

# Seven panel pictures, and the application icon at seven sizes in icons/.
file(GLOB_RECURSE pictures RELATIVE "${WORK_DIR}/first" "${WORK_DIR}/first/*.png")
list(LENGTH pictures count)

if(NOT count EQUAL 14)
    message(FATAL_ERROR "expected 14 pictures, the generator wrote ${count}: ${pictures}")
endif()

foreach(picture IN LISTS pictures)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files
            "${WORK_DIR}/first/${picture}" "${WORK_DIR}/second/${picture}"
        RESULT_VARIABLE different)

    if(different)
        message(FATAL_ERROR "${picture} differs between two runs of the generator")
    endif()
endforeach()

file(REMOVE_RECURSE "${WORK_DIR}")
message(STATUS "${count} pictures identical over two runs")

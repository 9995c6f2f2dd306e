# Builds one of the framework's modules from a copy of the installed source in
# which a few texts are replaced, for the changes this app needs in code the
# framework offers no way to configure. Everything not replaced stays the
# installed source.
#
#   velthorn_patch_juce_module (<module> <file> [<file> ...])
#       copies the module into the build tree without the files to patch and
#       builds the module's target from the copy;
#   velthorn_use_patched_juce_module (<module> <target>)
#       builds another target that compiles the module's sources (a plugin
#       wrapper's target, say) from the copy too;
#   velthorn_juce_patch_read (<module> <file>)
#   velthorn_juce_patch_replace (<old text> <new text>)
#   velthorn_juce_patch_write ()
#       read one of those files, replace texts in it and write it into the
#       copy.
#
# Every replacement must find its text exactly once; a framework update that
# moves it stops the configuration here instead of building something else.

set(VELTHORN_PATCHED_JUCE_ROOT "${CMAKE_BINARY_DIR}/juce-patched")

function(velthorn_patch_juce_module module)
    set(installed "${JUCE_MODULES_DIR}/${module}")
    set(excluded)
    foreach(file IN LISTS ARGN)
        get_filename_component(name "${file}" NAME)
        list(APPEND excluded PATTERN "${name}" EXCLUDE)
    endforeach()
    file(COPY "${installed}" DESTINATION "${VELTHORN_PATCHED_JUCE_ROOT}" ${excluded})
    set_property(GLOBAL APPEND PROPERTY VELTHORN_PATCHED_JUCE_MODULES ${module})
    velthorn_use_patched_juce_module(${module} ${module})
endfunction()

function(velthorn_use_patched_juce_module module target)
    set(installed "${JUCE_MODULES_DIR}/${module}")
    get_target_property(sources ${target} INTERFACE_SOURCES)
    if(NOT sources)
        return()   # a module whose sources are all in targets of their own
    endif()
    list(TRANSFORM sources REPLACE "^${installed}/" "${VELTHORN_PATCHED_JUCE_ROOT}/${module}/")
    set_property(TARGET ${target} PROPERTY INTERFACE_SOURCES ${sources})
endfunction()

function(velthorn_juce_patch_read module file)
    file(READ "${JUCE_MODULES_DIR}/${module}/${file}" text)
    set(_juce_patch_text "${text}" PARENT_SCOPE)
    set(_juce_patch_file "${module}/${file}" PARENT_SCOPE)
endfunction()

function(velthorn_juce_patch_replace old new)
    string(FIND "${_juce_patch_text}" "${old}" first)
    string(FIND "${_juce_patch_text}" "${old}" last REVERSE)
    if(first EQUAL -1 OR NOT first EQUAL last)
        message(FATAL_ERROR "The text to replace is not in ${_juce_patch_file} exactly once:\n${old}")
    endif()
    string(REPLACE "${old}" "${new}" replaced "${_juce_patch_text}")
    set(_juce_patch_text "${replaced}" PARENT_SCOPE)
endfunction()

# Written through configure_file so an unchanged result keeps its time stamp
# and does not rebuild the module at every configuration.
function(velthorn_juce_patch_write)
    set(target "${VELTHORN_PATCHED_JUCE_ROOT}/${_juce_patch_file}")
    file(WRITE "${target}.new" "${_juce_patch_text}")
    configure_file("${target}.new" "${target}" COPYONLY)
    file(REMOVE "${target}.new")
endfunction()

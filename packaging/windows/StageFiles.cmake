# Lays out the files Velthorn is handed out with (cmake -P, at build time):
#   STAGE        the folder to fill, emptied first
#   PROGRAMS     the program files, put at its top
#   VST3_BUNDLE  the VST3 bundle folder, copied whole
#   TEXTS        SOURCE=NAME entries: text files, written to NAME with
#                Windows line ends

file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${STAGE}")

foreach(program IN LISTS PROGRAMS)
    file(COPY "${program}" DESTINATION "${STAGE}")
endforeach()

file(COPY "${VST3_BUNDLE}" DESTINATION "${STAGE}")

foreach(entry IN LISTS TEXTS)
    string(REGEX REPLACE "=.*" "" source "${entry}")
    string(REGEX REPLACE "^[^=]*=" "" name "${entry}")
    file(READ "${source}" text)
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    get_filename_component(folder "${STAGE}/${name}" DIRECTORY)
    file(MAKE_DIRECTORY "${folder}")
    file(WRITE "${STAGE}/${name}" "${text}")
endforeach()

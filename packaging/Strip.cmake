# SPDX-License-Identifier: GPL-3.0-or-later
# Runs in CPack before the package is made: strips every program in it the way Debian's
# own packages are stripped, without the compiler's comment and note sections. No program
# leaves set-ID: owned by root:root, it would run as group root from unpacking to
# configuring; postinst gives the record keeper its group games and set-group-ID bit.
file(GLOB_RECURSE files LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(file IN LISTS files)
    if(IS_SYMLINK "${file}")
        continue()
    endif()
    file(READ "${file}" magic LIMIT 4 HEX)
    if(magic STREQUAL "7f454c46")
        execute_process(COMMAND strip --remove-section=.comment --remove-section=.note "${file}"
                        COMMAND_ERROR_IS_FATAL ANY)
        execute_process(COMMAND chmod ug-s "${file}" COMMAND_ERROR_IS_FATAL ANY)
    endif()
endforeach()

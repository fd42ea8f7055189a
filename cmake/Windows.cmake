# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows program: the Win32 window over the shared game, with its pictures rendered
# from the team's SVG artwork at build time (rsvg-convert, icotool).
enable_language(RC)
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(ICOTOOL icotool REQUIRED)

set(art_dir ${CMAKE_BINARY_DIR}/art)
file(MAKE_DIRECTORY ${art_dir})
set(rendered)

# name, sizes: an .ico holding the picture at each size.
function(render_icon name)
    set(pngs)
    foreach(side ${ARGN})
        set(png ${art_dir}/${name}-${side}.png)
        add_custom_command(OUTPUT ${png}
            COMMAND ${RSVG_CONVERT} -w ${side} -h ${side} -o ${png} ${PROJECT_SOURCE_DIR}/art/${name}.svg
            DEPENDS ${PROJECT_SOURCE_DIR}/art/${name}.svg VERBATIM)
        list(APPEND pngs ${png})
    endforeach()
    add_custom_command(OUTPUT ${art_dir}/${name}.ico
        COMMAND ${ICOTOOL} -c -o ${art_dir}/${name}.ico ${pngs}
        DEPENDS ${pngs} VERBATIM)
    set(rendered ${rendered} ${art_dir}/${name}.ico PARENT_SCOPE)
endfunction()

# name, side, hot spot: a cursor at one size.
function(render_cursor name side x y)
    set(png ${art_dir}/${name}-${side}.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${RSVG_CONVERT} -w ${side} -h ${side} -o ${png} ${PROJECT_SOURCE_DIR}/art/${name}.svg
        DEPENDS ${PROJECT_SOURCE_DIR}/art/${name}.svg VERBATIM)
    add_custom_command(OUTPUT ${art_dir}/${name}.cur
        COMMAND ${ICOTOOL} -c --cursor --hotspot-x=${x} --hotspot-y=${y} -o ${art_dir}/${name}.cur ${png}
        DEPENDS ${png} VERBATIM)
    set(rendered ${rendered} ${art_dir}/${name}.cur PARENT_SCOPE)
endfunction()

render_icon(moltiplix 16 24 32 48 64 128 256)
foreach(picture next next-pressed next-disabled exit clock)
    # 32 at 96 dpi, and the sizes larger scales ask for.
    render_icon(${picture} 16 32 48 64)
endforeach()
render_cursor(pointer 48 8 8)
render_cursor(icon-pointer 32 16 16)
configure_file(src/platform/win32/moltiplix.manifest ${art_dir}/moltiplix.manifest @ONLY)
add_custom_target(moltiplix_artwork DEPENDS ${rendered})

add_library(moltiplix_win32 STATIC
    src/platform/win32/captionlabel.cpp
    src/platform/win32/drawingsurface.cpp
    src/platform/win32/picturebutton.cpp
    src/platform/win32/win32clock.cpp
    src/platform/win32/win32dialogs.cpp
    src/platform/win32/win32form.cpp
    src/platform/win32/win32formevents.cpp
    src/platform/win32/win32waiting.cpp
    src/platform/win32/windowaccessible.cpp
)
# oleacc: what screen readers read (MSAA), a part of Windows since 98.
target_link_libraries(moltiplix_win32 PUBLIC moltiplix_platform comctl32 oleacc oleaut32)

# Resources go into each executable: a static library would drop them.
set(MOLTIPLIX_WINDOWS_RESOURCES ${PROJECT_SOURCE_DIR}/src/platform/win32/moltiplix.rc)
set_source_files_properties(${MOLTIPLIX_WINDOWS_RESOURCES} PROPERTIES
    OBJECT_DEPENDS "${rendered};${art_dir}/moltiplix.manifest;${art_dir}/version.h")
# Beside the pictures, as every executable with the resources finds them there.
file(CONFIGURE OUTPUT ${art_dir}/version.h CONTENT "#define MOLTIPLIX_VERSION ${PROJECT_VERSION}
#define MOLTIPLIX_VERSION_NUMBERS ${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0
")

add_executable(moltiplix WIN32 src/app/main_win32.cpp ${MOLTIPLIX_WINDOWS_RESOURCES})
target_include_directories(moltiplix PRIVATE ${art_dir})
target_link_libraries(moltiplix PRIVATE moltiplix_game moltiplix_win32)
target_link_options(moltiplix PRIVATE -s)
add_dependencies(moltiplix moltiplix_artwork)

# The record folder of an installed PC, made and removed by a console program that the
# installer runs as SYSTEM.
add_executable(moltiplix-record src/app/moltiplix-record_win32.cpp)
target_link_libraries(moltiplix-record PRIVATE moltiplix_records)
target_link_options(moltiplix-record PRIVATE -municode -s)

# Start-up to the first dialog, for measuring (not built by default).
add_executable(startupprobe EXCLUDE_FROM_ALL tools/startupprobe.cpp)
target_link_options(startupprobe PRIVATE -municode)

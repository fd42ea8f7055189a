# SPDX-License-Identifier: GPL-3.0-or-later
# What `cmake --install` puts on a machine, and so the Debian package (debian/), which
# adds what Debian keeps apart: copyright, changelog, maintainer scripts.
include(GNUInstallDirs)

# Debian keeps games apart from other programs.
set(MOLTIPLIX_GAMES_DIR games)
set(packaging ${CMAKE_CURRENT_SOURCE_DIR}/packaging)
set(appid org.moltiplix.moltiplix)

install(TARGETS moltiplix RUNTIME DESTINATION ${MOLTIPLIX_GAMES_DIR})
install(FILES ${packaging}/${appid}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging}/${appid}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${packaging}/man/moltiplix.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${packaging}/man/it/moltiplix.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/it/man6)

# The application icon at every size themes use; the smallest are drawn for their size.
add_executable(rendericon tools/rendericon.cpp)
target_link_libraries(rendericon PRIVATE Qt6::Gui Qt6::Svg)
set(icon_pngs)
foreach(size 16 24 32 48 64 128 256)
    set(svg ${CMAKE_CURRENT_SOURCE_DIR}/art/moltiplix.svg)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/art/moltiplix-${size}.svg)
        set(svg ${CMAKE_CURRENT_SOURCE_DIR}/art/moltiplix-${size}.svg)
    endif()
    set(png ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}/moltiplix.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}
        COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                $<TARGET_FILE:rendericon> ${svg} ${size} ${png}
        DEPENDS rendericon ${svg}
        COMMENT "Rendering the ${size}x${size} icon")
    list(APPEND icon_pngs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(icons ALL DEPENDS ${icon_pngs})
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/art/moltiplix.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The shared record directory is the maintainer scripts' business: postinst makes it with
# its group and modes, postrm deletes it on purge.

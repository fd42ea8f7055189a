# SPDX-License-Identifier: GPL-3.0-or-later
# What `cmake --install` and the Debian package put on a machine.
include(GNUInstallDirs)

# Debian keeps games apart from other programs.
set(MOLTIPLIX_GAMES_DIR games)
set(docdir ${CMAKE_INSTALL_DATADIR}/doc/moltiplix)
set(packaging ${CMAKE_CURRENT_SOURCE_DIR}/packaging)
set(appid org.moltiplix.moltiplix)

install(TARGETS moltiplix RUNTIME DESTINATION ${MOLTIPLIX_GAMES_DIR})
install(FILES ${packaging}/${appid}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging}/${appid}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${packaging}/copyright DESTINATION ${docdir})
install(FILES ${packaging}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME moltiplix)

# Manual pages and the changelog go compressed, as Debian wants them: gzip -9n, no time stamp.
set(compressed)
foreach(pair "man/moltiplix.6|${CMAKE_INSTALL_MANDIR}/man6"
             "man/it/moltiplix.6|${CMAKE_INSTALL_MANDIR}/it/man6"
             "changelog|${docdir}")
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 source)
    list(GET pair 1 destination)
    get_filename_component(name ${source} NAME)
    set(output ${CMAKE_CURRENT_BINARY_DIR}/packaging/${destination}/${name}.gz)
    get_filename_component(outdir ${output} DIRECTORY)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${outdir}
        COMMAND gzip -9nc ${packaging}/${source} > ${output}
        DEPENDS ${packaging}/${source}
        COMMENT "Compressing ${source}")
    list(APPEND compressed ${output})
    install(FILES ${output} DESTINATION ${destination})
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${compressed})

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

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME moltiplix)
set(CPACK_PACKAGE_VENDOR "Il team di Moltiplix")
set(CPACK_PACKAGE_CONTACT "Il team di Moltiplix <info@moltiplix.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "multiplication table game for children, in Italian")
set(CPACK_PACKAGE_DESCRIPTION [[
Moltiplix helps children practise the multiplication table. The player
types a name and how far the table goes, then answers one multiplication
after another against a 15-minute clock; the game says at once whether
each answer was right and keeps count of right and wrong answers.

The best score of the machine is kept, with its holder's name, for every
player. All the game's texts are in Italian.]])
set(CPACK_PACKAGE_INSTALL_DIRECTORY /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.moltiplix.example/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${packaging}/postinst ${packaging}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Stripped as Debian strips its own packages, after every install rule has run.
set(CPACK_PRE_BUILD_SCRIPTS ${packaging}/Strip.cmake)
include(CPack)

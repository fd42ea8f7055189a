# What `cmake --install` and the Debian package put on a machine.
include(GNUInstallDirs)

install(TARGETS moltiplix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/packaging/moltiplix.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/packaging/moltiplix.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The application icon, rendered from the game's own artwork at every size themes use.
add_executable(rendericon tools/rendericon.cpp)
target_link_libraries(rendericon PRIVATE Qt6::Gui Qt6::Svg)
set(icon_svg ${CMAKE_CURRENT_SOURCE_DIR}/art/moltiplix.svg)
set(icon_pngs)
foreach(size 16 32 48 64 128)
    set(png ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}/moltiplix.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}
        COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                $<TARGET_FILE:rendericon> ${icon_svg} ${size} ${png}
        DEPENDS rendericon ${icon_svg}
        COMMENT "Rendering the ${size}x${size} icon")
    list(APPEND icon_pngs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(icons ALL DEPENDS ${icon_pngs})
install(FILES ${icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The record directory shared by every player of the machine. Outside a package build
# without the rights to make it, the game makes it, or falls back, at first start.
install(CODE [[
    set(records "$ENV{DESTDIR}/var/games/moltiplix")
    file(MAKE_DIRECTORY "${records}")
    if(EXISTS "${records}")
        file(CHMOD "${records}" DIRECTORY_PERMISSIONS
             OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_WRITE GROUP_EXECUTE
             WORLD_READ WORLD_WRITE WORLD_EXECUTE)
    endif()
]])

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME moltiplix)
set(CPACK_PACKAGE_VENDOR "Il team di Moltiplix")
set(CPACK_PACKAGE_CONTACT "Il team di Moltiplix <info@moltiplix.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Multiplication table game for children (in Italian)")
set(CPACK_PACKAGE_INSTALL_DIRECTORY /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_SOURCE_DIR}/packaging/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

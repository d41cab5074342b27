# Install layout and the Debian package.
#
#   cmake --install <build> --prefix /usr    the layout below
#   cd <build> && cpack -G DEB               huepick_<version>_<arch>.deb

include(GNUInstallDirs)

set(HUEPICK_APP_ID "io.github.huepick.huepick")

install(TARGETS huepick RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The desktop entry and the metainfo file are named after the component id.
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/packaging/${HUEPICK_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/packaging/${HUEPICK_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/packaging/huepick.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The program looks for the help page in ../share/huepick when the folder of
# the executable has none.
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/assets/help.html
        DESTINATION ${CMAKE_INSTALL_DATADIR}/huepick)

# assets/icons/huepick_<N>.png is the N x N application icon.
file(GLOB huepick_icons CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/assets/icons/huepick_*.png)
foreach(icon IN LISTS huepick_icons)
  get_filename_component(icon_name ${icon} NAME)
  if(icon_name MATCHES "^huepick_([0-9]+)\\.png$")
    set(size ${CMAKE_MATCH_1})
    install(FILES ${icon}
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME huepick.png)
  endif()
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME huepick)
set(CPACK_PACKAGE_VENDOR "Huepick developers")
set(CPACK_PACKAGE_CONTACT "Huepick developers <huepick@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "colour picker for the X11 desktop")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its X11 platform plugin at run time, so dpkg-shlibdeps cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The log and help buttons hand their files to xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The summary above is the synopsis line; this is the text below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Huepick holds one colour at a time and shows it as three decimal channel
fields, a hexadecimal field and swatches in a small skinned window. Pick any
pixel of the screen from a frozen copy of it, directly or through a
magnifying lens, type channel values or a hexadecimal colour, or hold the
step buttons. F1 to F10 copy the colour in ten HTML, CSS and RGB notations,
and an HTML colour log collects colours.")

include(CPack)

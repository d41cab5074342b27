# SPDX-License-Identifier: MIT
#
# Install layout, used by `cmake --install <build> --prefix /usr` and by the
# Debian package (debian/rules), which compresses the man page itself.

include(GNUInstallDirs)

# The AppStream component id; the desktop entry and the metainfo file are
# named after it.
set(HUEPICK_APP_ID "io.github.huepick.huepick")

install(TARGETS huepick RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/packaging/${HUEPICK_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/packaging/${HUEPICK_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/packaging/huepick.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The program looks for the help page in ../share/huepick when the folder of
# the executable has none. It is read at run time, so it stays out of
# /usr/share/doc, which a system may leave out.
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

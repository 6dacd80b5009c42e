# Installation as a desktop program (cmake --install). The Debian package (debian/, built
# with dpkg-buildpackage) installs the same tree through this file.
#
# Installed tree, under the prefix (/usr in the package):
#   bin/tavix
#   share/applications/example.tavix.Tavix.desktop
#   share/metainfo/example.tavix.Tavix.metainfo.xml
#   share/icons/hicolor/<n>x<n>/apps/example.tavix.Tavix.png   (n = 16 … 256)
#   share/man/man1/tavix.1, share/man/pt_BR/man1/tavix.1       (English, Portuguese)
#   share/doc/tavix/copyright                                  (the package has its own)
#
# The identifier example.tavix.Tavix is the reverse of the program's own domain tavix.example,
# which names the desktop entry, the icon and the AppStream component alike.
if(NOT TARGET tavix)
    return()
endif()

include(GNUInstallDirs)

set(TAVIX_APP_ID example.tavix.Tavix)
# The sizes rendered by tools/render-icons.sh into res/icons/tavix-<n>.png.
set(TAVIX_ICON_SIZES 16 22 24 32 48 64 128 256)

install(TARGETS tavix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/res/${TAVIX_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/res/${TAVIX_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size IN LISTS TAVIX_ICON_SIZES)
    set(icon ${PROJECT_SOURCE_DIR}/res/icons/tavix-${size}.png)
    if(NOT EXISTS ${icon})
        message(FATAL_ERROR "${icon} is missing: run tools/render-icons.sh")
    endif()
    install(FILES ${icon}
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${TAVIX_APP_ID}.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/res/man/tavix.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/res/man/pt_BR/tavix.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/pt_BR/man1)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR}
        RENAME copyright)

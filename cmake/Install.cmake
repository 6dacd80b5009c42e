# Installation as a desktop program (cmake --install) and the Debian package (cpack -G DEB,
# or the `package` target).
#
# Installed tree, under the prefix (/usr in the package):
#   bin/tavix
#   share/applications/example.tavix.Tavix.desktop
#   share/metainfo/example.tavix.Tavix.metainfo.xml
#   share/icons/hicolor/<n>x<n>/apps/example.tavix.Tavix.png   (n = 16 … 256)
#   share/doc/tavix/copyright
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
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR}
        RENAME copyright)

# Debian package. The library dependencies come from dpkg-shlibdeps; the others are what the
# program needs at run time without linking to it: the X11 and Wayland platform plugins of
# Qt (so that a Wayland desktop runs it natively, whatever else is installed), Qt's own
# texts in Portuguese, the Arial-compatible fonts its windows are laid out with, and xdg-open
# for the about window's links. The menu and icon caches are refreshed by the dpkg triggers of desktop-file-utils
# and gtk-update-icon-cache, so the package needs no maintainer scripts.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavix)
set(CPACK_PACKAGE_VENDOR "Equipe Tavix")
set(CPACK_PACKAGE_CONTACT "Equipe Tavix <contato@tavix.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "prime numbers: list, check and factor (números primos)")
set(CPACK_PACKAGE_DESCRIPTION
    "Tavix answers three questions about whole numbers up to 2147483647:
it lists the prime numbers of an interval, tells whether a number is
prime, and factors a number into primes, drawn as the two-column table
taught in schools. Its user interface is in Portuguese.

O Tavix responde a três perguntas sobre números inteiros até 2147483647:
lista os números primos de um intervalo, diz se um número é primo e
decompõe um número em fatores primos, desenhados na tabela de duas
colunas ensinada na escola.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Equipe Tavix <contato@tavix.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.tavix.example/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, qt6-wayland, qt6-translations-l10n, fonts-liberation2, xdg-utils")

set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\.git($|/)" "/build[^/]*/" "/artifacts/" "/\\.cache/")

include(CPack)

# Installation in Debian's layout for games, and the .deb made from it by CPack:
#   /usr/games/brimzo                    the launcher (a shell script)
#   /usr/libexec/brimzo/brimzo           the game itself, started by the launcher
#   /usr/share/games/brimzo/data/        the assets, read-only
# and the desktop entry, the icons, the AppStream metadata, the manual page and the licences.
include(GNUInstallDirs)

set(BRIMZO_INSTALL_GAMESDIR "games" CACHE STRING "Launcher directory, below the prefix")
set(BRIMZO_INSTALL_GAMELIBDIR "${CMAKE_INSTALL_LIBEXECDIR}/brimzo" CACHE STRING "Game binary directory, below the prefix")
set(BRIMZO_INSTALL_GAMEDATADIR "${CMAKE_INSTALL_DATAROOTDIR}/games/brimzo"
  CACHE STRING "Game data directory, below the prefix")
set(BRIMZO_APP_ID "io.github.brimzo.brimzo")

# The launcher finds the game and its data relative to its own place.
file(RELATIVE_PATH LAUNCHER_TO_DATA "/${BRIMZO_INSTALL_GAMESDIR}" "/${BRIMZO_INSTALL_GAMEDATADIR}/data")
file(RELATIVE_PATH LAUNCHER_TO_BINARY "/${BRIMZO_INSTALL_GAMESDIR}" "/${BRIMZO_INSTALL_GAMELIBDIR}/brimzo")
configure_file(packaging/launcher.sh.in brimzo-launcher @ONLY)
configure_file(packaging/${BRIMZO_APP_ID}.desktop.in ${BRIMZO_APP_ID}.desktop @ONLY)
configure_file(packaging/${BRIMZO_APP_ID}.metainfo.xml.in ${BRIMZO_APP_ID}.metainfo.xml @ONLY)

# Debian wants the manual page and the changelog compressed, reproducibly (no name, no time).
foreach(doc brimzo.6 changelog)
  add_custom_command(OUTPUT ${doc}.gz
    COMMAND gzip -9 -n -c ${CMAKE_SOURCE_DIR}/packaging/${doc} > ${doc}.gz
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/${doc} VERBATIM)
endforeach()
add_custom_target(brimzo_docs ALL DEPENDS brimzo.6.gz changelog.gz)

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS brimzo RUNTIME DESTINATION ${BRIMZO_INSTALL_GAMELIBDIR})
install(PROGRAMS ${CMAKE_BINARY_DIR}/brimzo-launcher DESTINATION ${BRIMZO_INSTALL_GAMESDIR} RENAME brimzo)
# Every asset the game reads; never a score file or key left by a run from the source tree.
# The font's licence goes into the copyright file with the others.
install(DIRECTORY data/ DESTINATION ${BRIMZO_INSTALL_GAMEDATADIR}/data
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
  PATTERN "scores.*" EXCLUDE
  PATTERN "FONT-LICENSE.txt" EXCLUDE)
install(FILES ${CMAKE_BINARY_DIR}/${BRIMZO_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/${BRIMZO_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
foreach(size 48 64 128 256)
  install(FILES packaging/icons/brimzo-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps RENAME brimzo.png)
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/brimzo.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES packaging/copyright ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The one lintian tag the package is known to raise, and why (in the file).
install(FILES packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
  RENAME brimzo)

# cpack -G DEB
set(CPACK_PACKAGE_NAME brimzo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Brimzo developers <dev@brimzo.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "line up pieces of one colour on a hexagonal board
Brimzo is a puzzle game for one player, played with the mouse on a board of
126 hexagonal cells. Pick a piece, then a free cell: the piece travels there
along a shortest chain of free cells. Five or more pieces of one colour in a
row vanish and score the square of their number; a move that removes nothing
brings four new pieces. Each player keeps their own high-score table.")
# dpkg-shlibdeps reads overrides of the libraries' shlibs from debian/shlibs.local in the
# directory it runs in, which for CPack is the staging tree (it removes debian/ afterwards).
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/packaging/shlibs_local.cmake)
set(CPACK_BRIMZO_SHLIBS_LOCAL ${CMAKE_SOURCE_DIR}/packaging/shlibs.local)
include(CPack)

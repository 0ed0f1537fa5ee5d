# What `cmake --install` puts beside the programs (the programs, the translations and the
# command-line tool's manual page and completion install themselves), and the Debian package
# `cpack -G DEB` makes of it (scripts/package.sh builds and checks both).

install(FILES data/${KIVORA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/${KIVORA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES data/${KIVORA_APP_ID}.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_PACKAGE_NAME kivora)
set(CPACK_PACKAGE_VENDOR "The Kivora developers")
set(CPACK_PACKAGE_CONTACT "The Kivora developers <kivora@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Resolve Douyin share texts, play and save the videos
 Kivora turns a share text copied from the Douyin short-video app, a link or a
 video ID into the item's play address, plays the video or shows the pictures of
 a gallery, copies the address and saves the video or the pictures into the
 albums. kivora-cli does the same in a terminal.")
# The libraries come from the programs themselves; the plugins Qt loads at run time do not show
# there: the SVG icon engine, the SQLite driver of the history and the GStreamer elements the
# player needs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6svg6, libqt6sql6-sqlite, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-plugins-bad, gstreamer1.0-libav")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-noto-cjk")
set(CPACK_GENERATOR DEB)
include(CPack)

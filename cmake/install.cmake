# The installed game: `cmake --install` lays out a standard tree under any
# prefix (launcher on the PATH, program in libexec, read-only data, menu
# entry, icons, AppStream metadata, manual page), and CPack makes the Debian
# package of that tree (scripts/package-deb.sh).

include(GNUInstallDirs)

set(POKOMARU_APPSTREAM_ID "invalid.pokomaru.PokomaruJigsaw" CACHE STRING
    "AppStream component id (reverse DNS of the publisher's domain)")
set(POKOMARU_WEBSITE "https://pokomaru-jigsaw.invalid" CACHE STRING
    "Web address under which screenshots/play.png is published for software centres")
set(POKOMARU_MAINTAINER "Pokomaru Jigsaw developers <pokomaru-jigsaw@users.invalid>" CACHE STRING
    "Maintainer of the Debian package, name and address")

# Games' launchers live in games/ beside bin/ (on the PATH of Debian's users).
set(POKOMARU_LAUNCHER_DIR games CACHE STRING "Where the launcher goes, relative to the prefix")

set(POKOMARU_VERSION ${PROJECT_VERSION})
if(NOT POKOMARU_VERSION)
  set(POKOMARU_VERSION 0)
endif()

set(_pkg ${CMAKE_SOURCE_DIR}/packaging)
set(_out ${CMAKE_BINARY_DIR}/packaging)
set(POKOMARU_DATA_DIR ${CMAKE_INSTALL_DATADIR}/pokomaru-jigsaw)
set(POKOMARU_PROGRAM_DIR ${CMAKE_INSTALL_LIBEXECDIR}/pokomaru-jigsaw)
set(POKOMARU_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/pokomaru-jigsaw)

# The launcher finds the data and the program relative to itself, so the
# tree can be unpacked anywhere.
file(RELATIVE_PATH POKOMARU_BIN_TO_DATA /${POKOMARU_LAUNCHER_DIR} /${POKOMARU_DATA_DIR})
file(RELATIVE_PATH POKOMARU_BIN_TO_PROGRAM /${POKOMARU_LAUNCHER_DIR} /${POKOMARU_PROGRAM_DIR}/pokomaru-jigsaw)
if(IS_ABSOLUTE "${CMAKE_INSTALL_DATADIR}")
  set(POKOMARU_SHARE_PATH ${POKOMARU_DATA_DIR})
else()
  set(POKOMARU_SHARE_PATH ${CMAKE_INSTALL_PREFIX}/${POKOMARU_DATA_DIR})
endif()
configure_file(${_pkg}/pokomaru-jigsaw.in ${_out}/pokomaru-jigsaw @ONLY)
configure_file(${_pkg}/pokomaru-jigsaw.metainfo.xml.in ${_out}/${POKOMARU_APPSTREAM_ID}.metainfo.xml @ONLY)
configure_file(${_pkg}/pokomaru-jigsaw.6.in ${_out}/pokomaru-jigsaw.6 @ONLY)
configure_file(${_pkg}/changelog.in ${_out}/changelog @ONLY)

# Manual page and changelog go compressed, without a time stamp, so the
# package is the same every time it is made.
find_program(GZIP_PROGRAM gzip REQUIRED)
foreach(doc pokomaru-jigsaw.6 changelog)
  add_custom_command(OUTPUT ${_out}/${doc}.gz
    COMMAND ${GZIP_PROGRAM} -9 -n -c ${_out}/${doc} > ${_out}/${doc}.gz
    DEPENDS ${_out}/${doc} VERBATIM)
endforeach()
add_custom_target(install_docs ALL DEPENDS ${_out}/pokomaru-jigsaw.6.gz ${_out}/changelog.gz)

install(TARGETS pokomaru-jigsaw RUNTIME DESTINATION ${POKOMARU_PROGRAM_DIR})
install(PROGRAMS ${_out}/pokomaru-jigsaw DESTINATION ${POKOMARU_LAUNCHER_DIR})
install(FILES
    ${CMAKE_SOURCE_DIR}/game/bitmap.png
    ${CMAKE_SOURCE_DIR}/game/wave00.wav ${CMAKE_SOURCE_DIR}/game/wave01.wav ${CMAKE_SOURCE_DIR}/game/wave02.wav
    ${CMAKE_SOURCE_DIR}/game/wave03.wav ${CMAKE_SOURCE_DIR}/game/wave04.wav
  DESTINATION ${POKOMARU_DATA_DIR}/game)
install(FILES ${_pkg}/screenshots/play.png DESTINATION ${POKOMARU_DATA_DIR}/screenshots)
install(FILES ${_pkg}/pokomaru-jigsaw.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 32 48 64 128 256)
  install(FILES ${_pkg}/icons/pokomaru-jigsaw-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME pokomaru-jigsaw.png)
endforeach()
install(FILES ${_out}/${POKOMARU_APPSTREAM_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_out}/pokomaru-jigsaw.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${_pkg}/copyright ${_out}/changelog.gz DESTINATION ${POKOMARU_DOC_DIR})

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pokomaru-jigsaw)
set(CPACK_PACKAGE_VERSION ${POKOMARU_VERSION})
set(CPACK_PACKAGE_CONTACT ${POKOMARU_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "map jigsaw of Saitama prefecture against the clock")
set(CPACK_PACKAGE_DESCRIPTION
"ぽこ丸ジグゾー (Pokomaru Jigsaw) is a map puzzle of Saitama prefecture.
Choose the 63 municipalities, which fit together into the real map, or 95
local mascots, each of which belongs at its place on that map; watch the
pieces fly apart and drag them home with the mouse against the clock.
While a piece is held, a panel tells about it. The best time of each mode
is kept in the player's own folder.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The game's faces: ＭＳ 明朝 and ＭＳ ゴシック become the IPA faces, メイリオ the IPAex gothic.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, fonts-ipafont-mincho, fonts-ipaexfont-gothic, fontconfig")
# A real bold serif face for the title where one is installed; without it the
# title's Mincho is emboldened.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_SOURCE_IGNORE_FILES "/build.*/;/dist/;/\\\\.git/")
include(CPack)

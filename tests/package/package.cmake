# Tests of the installed game: the installed tree's metadata, the launcher's
# player folder, and the Debian package installed into a scratch root and
# played from its menu entry in a real X server. They run installed tools
# and the packaged program rather than the build's own binaries, so they
# carry the e2e label too (the sanitizer run leaves them out) and run one at
# a time, like the other real-window tests.
add_executable(loose_mascots ${CMAKE_CURRENT_LIST_DIR}/loose_mascots.cpp ${CMAKE_SOURCE_DIR}/src/content/piece_geometry.cpp)
target_include_directories(loose_mascots PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(loose_mascots PRIVATE PNG::PNG PkgConfig::X11)

foreach(name installed_tree launcher deb_package)
  add_test(NAME package_${name} COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/${name}.sh WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
  set_tests_properties(package_${name} PROPERTIES
    RUN_SERIAL TRUE
    TIMEOUT 120
    LABELS "package;e2e"
    ENVIRONMENT "POKOMARU_BUILD_DIR=${CMAKE_BINARY_DIR};POKOMARU_BINARY=$<TARGET_FILE:pokomaru-jigsaw>;POKOMARU_SOURCE_DIR=${CMAKE_SOURCE_DIR};E2E_CLOSE_REQUEST=$<TARGET_FILE:e2e_close_request>;E2E_ARTIFACTS=${CMAKE_BINARY_DIR}/e2e-artifacts;LOOSE_MASCOTS=$<TARGET_FILE:loose_mascots>")
endforeach()
# A whole game by window input: about two minutes of dragging on a busy
# machine, at most a few more while the game stands still under load.
set_tests_properties(package_deb_package PROPERTIES TIMEOUT 600)

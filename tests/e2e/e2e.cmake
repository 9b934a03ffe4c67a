# Real-window tests: each script starts its own X server (Xvfb), the real
# game binary from a scratch copy of game/, and drives it with xdotool.
# They run one at a time, so that the game keeps its frame rate. The
# packaging tests' loose_mascots reads loose mascots and the count of pieces
# left from the window for them too.
add_executable(e2e_close_request ${CMAKE_CURRENT_LIST_DIR}/close_request.c)
target_link_libraries(e2e_close_request PRIVATE PkgConfig::X11)

file(GLOB E2E_SCRIPTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.sh)
list(REMOVE_ITEM E2E_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/lib.sh)
foreach(script ${E2E_SCRIPTS})
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME e2e_${name} COMMAND bash ${script} WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
  set_tests_properties(e2e_${name} PROPERTIES
    RUN_SERIAL TRUE
    TIMEOUT 300
    LABELS e2e
    ENVIRONMENT "POKOMARU_BINARY=$<TARGET_FILE:pokomaru-jigsaw>;POKOMARU_SOURCE_DIR=${CMAKE_SOURCE_DIR};E2E_CLOSE_REQUEST=$<TARGET_FILE:e2e_close_request>;E2E_ARTIFACTS=${CMAKE_BINARY_DIR}/e2e-artifacts;LOOSE_MASCOTS=$<TARGET_FILE:loose_mascots>")
endforeach()

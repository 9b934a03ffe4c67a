# The Windows build's tests, run from the native build's CTest (label
# `windows`): the cross-built unit tests and the 64-bit game under Wine, and
# a static check of the shipped 32-bit executable. scripts/build-windows.sh
# (which ./test.sh runs) makes what they run; a missing executable fails
# its test with that advice. One Wine prefix serves the whole run.

set(POKOMARU_WINDOWS_BUILD_DIR ${CMAKE_SOURCE_DIR}/build-windows CACHE PATH
    "Where scripts/build-windows.sh puts the x86 and x64 builds")
set(WINDOWS_X64 ${POKOMARU_WINDOWS_BUILD_DIR}/x64)
set(WINDOWS_X86 ${POKOMARU_WINDOWS_BUILD_DIR}/x86)
set(WINE_DIR ${CMAKE_BINARY_DIR}/windows-wine)
set(WINDOWS_TESTS_DIR ${CMAKE_SOURCE_DIR}/tests/windows)

add_test(NAME windows_wine_prefix COMMAND bash ${WINDOWS_TESTS_DIR}/wine_prefix.sh ${WINE_DIR})
set_tests_properties(windows_wine_prefix PROPERTIES
  FIXTURES_SETUP windows_wine LABELS windows TIMEOUT 180)
add_test(NAME windows_wine_stop COMMAND bash ${WINDOWS_TESTS_DIR}/stop_wine.sh ${WINE_DIR})
set_tests_properties(windows_wine_stop PROPERTIES
  FIXTURES_CLEANUP windows_wine LABELS windows TIMEOUT 60)

foreach(name scenes content shell)
  add_test(NAME windows_unit_${name}
    COMMAND bash ${WINDOWS_TESTS_DIR}/run_in_wine.sh ${WINE_DIR} ${WINDOWS_X64}/tests/test_${name}.exe --gtest_brief=1
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
  set_tests_properties(windows_unit_${name} PROPERTIES
    FIXTURES_REQUIRED windows_wine LABELS windows TIMEOUT 300)
endforeach()
# The sprite batch, fonts and texture loader over a real Direct3D 9 device,
# and the real window system with every start-up fault, need an X display
# under Wine; each alone, since its end stops the prefix's processes.
foreach(name sprite windows_system)
  add_test(NAME windows_unit_${name}
    COMMAND bash ${WINDOWS_TESTS_DIR}/run_in_wine.sh ${WINE_DIR} --display ${WINDOWS_X64}/tests/test_${name}.exe --gtest_brief=1
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
  set_tests_properties(windows_unit_${name} PROPERTIES
    FIXTURES_REQUIRED windows_wine LABELS windows TIMEOUT 300 RUN_SERIAL TRUE)
endforeach()

add_test(NAME windows_shipped_exe
  COMMAND bash ${WINDOWS_TESTS_DIR}/check_shipped_exe.sh ${WINDOWS_X86}/pokomaru-jigsaw.exe)
set_tests_properties(windows_shipped_exe PROPERTIES LABELS windows TIMEOUT 60)

add_test(NAME windows_package COMMAND bash ${WINDOWS_TESTS_DIR}/package_test.sh)
set_tests_properties(windows_package PROPERTIES LABELS windows TIMEOUT 120)

# Real-window tests of the 64-bit game under Xvfb, openbox and Wine; one at
# a time, like the native ones, so that the game keeps its frame rate.
file(GLOB WINDOWS_E2E_SCRIPTS CONFIGURE_DEPENDS ${WINDOWS_TESTS_DIR}/e2e_*.sh)
list(REMOVE_ITEM WINDOWS_E2E_SCRIPTS ${WINDOWS_TESTS_DIR}/e2e_lib.sh)
foreach(script ${WINDOWS_E2E_SCRIPTS})
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME windows_${name} COMMAND bash ${script} WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
  set_tests_properties(windows_${name} PROPERTIES
    FIXTURES_REQUIRED windows_wine RUN_SERIAL TRUE TIMEOUT 400 LABELS "windows;e2e"
    ENVIRONMENT "POKOMARU_BINARY=${WINDOWS_X64}/pokomaru-jigsaw.exe;POKOMARU_SOURCE_DIR=${CMAKE_SOURCE_DIR};POKOMARU_WINE_DIR=${WINE_DIR};E2E_CLOSE_REQUEST=$<TARGET_FILE:e2e_close_request>;E2E_ARTIFACTS=${CMAKE_BINARY_DIR}/e2e-artifacts")
endforeach()

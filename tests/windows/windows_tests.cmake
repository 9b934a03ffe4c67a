# The Windows build's tests, run from the native build's CTest (label
# `windows`): the cross-built unit tests under Wine, the real-window tests of
# the game under Wine, and a static check of the shipped 32-bit executable.
# Where this kernel runs 32-bit code, the shipped executable itself is what
# the real-window tests run, and its unit tests run, under the 32-bit Wine
# of an i386 root (scripts/i386-wine-root.sh; prefix fixture
# windows_wine32); the 64-bit twin, built from the same sources, repeats
# none of them. Elsewhere the twin runs them all under the host's Wine
# (fixture windows_wine).
# scripts/build-windows.sh (which ./test.sh runs) makes what they run; a
# missing executable fails its test with that advice.

set(POKOMARU_WINDOWS_BUILD_DIR ${CMAKE_SOURCE_DIR}/build-windows CACHE PATH
    "Where scripts/build-windows.sh puts the x86 and x64 builds")
set(WINDOWS_X64 ${POKOMARU_WINDOWS_BUILD_DIR}/x64)
set(WINDOWS_X86 ${POKOMARU_WINDOWS_BUILD_DIR}/x86)
set(WINE_DIR ${CMAKE_BINARY_DIR}/windows-wine)
set(WINE32_DIR ${CMAKE_BINARY_DIR}/windows-wine32)
set(WINDOWS_TESTS_DIR ${CMAKE_SOURCE_DIR}/tests/windows)

# The kernel decides, unless POKOMARU_WINDOWS_X86_TESTS (ON or OFF, as for
# scripts/build-windows.sh) does.
if(DEFINED ENV{POKOMARU_WINDOWS_X86_TESTS})
  set(WINDOWS_RUNS_X86 $ENV{POKOMARU_WINDOWS_X86_TESTS})
else()
  execute_process(COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/i386-wine-root.sh probe
    RESULT_VARIABLE kernel_refuses_i386 OUTPUT_VARIABLE i386_note OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(kernel_refuses_i386)
    set(WINDOWS_RUNS_X86 OFF)
    message(STATUS "${i386_note}")
  else()
    set(WINDOWS_RUNS_X86 ON)
  endif()
endif()

# The cross-built unit tests of one build (prefix: test name prefix, dir:
# the build, wine: its prefix folder, fixture: the prefix's fixture).
function(windows_unit_tests prefix dir wine fixture)
  foreach(name scenes content shell)
    add_test(NAME ${prefix}_${name}
      COMMAND bash ${WINDOWS_TESTS_DIR}/run_in_wine.sh ${wine} ${dir}/tests/test_${name}.exe --gtest_brief=1
      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
    set_tests_properties(${prefix}_${name} PROPERTIES
      FIXTURES_REQUIRED ${fixture} LABELS windows TIMEOUT 300)
  endforeach()
  # The sprite batch, fonts and texture loader over a real Direct3D 9 device,
  # the real window system with every start-up fault, and whole games with
  # every frame checked need an X display under Wine; each alone, since its
  # end stops the prefix's processes.
  foreach(name sprite windows_system windows_game)
    add_test(NAME ${prefix}_${name}
      COMMAND bash ${WINDOWS_TESTS_DIR}/run_in_wine.sh ${wine} --display ${dir}/tests/test_${name}.exe --gtest_brief=1
      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
    set_tests_properties(${prefix}_${name} PROPERTIES
      FIXTURES_REQUIRED ${fixture} LABELS windows TIMEOUT 300 RUN_SERIAL TRUE)
  endforeach()
endfunction()

if(WINDOWS_RUNS_X86)
  # The first run makes the i386 root as well (a few minutes, once).
  add_test(NAME windows_wine32_prefix COMMAND bash ${WINDOWS_TESTS_DIR}/wine_prefix.sh ${WINE32_DIR} --i386)
  set_tests_properties(windows_wine32_prefix PROPERTIES
    FIXTURES_SETUP windows_wine32 LABELS windows TIMEOUT 900)
  add_test(NAME windows_wine32_stop COMMAND bash ${WINDOWS_TESTS_DIR}/stop_wine.sh ${WINE32_DIR})
  set_tests_properties(windows_wine32_stop PROPERTIES
    FIXTURES_CLEANUP windows_wine32 LABELS windows TIMEOUT 60)
  windows_unit_tests(windows_x86_unit ${WINDOWS_X86} ${WINE32_DIR} windows_wine32)
  set(WINDOWS_E2E_BINARY ${WINDOWS_X86}/pokomaru-jigsaw.exe)
  set(WINDOWS_E2E_WINE ${WINE32_DIR})
  set(WINDOWS_E2E_FIXTURE windows_wine32)
else()
  add_test(NAME windows_wine_prefix COMMAND bash ${WINDOWS_TESTS_DIR}/wine_prefix.sh ${WINE_DIR})
  set_tests_properties(windows_wine_prefix PROPERTIES
    FIXTURES_SETUP windows_wine LABELS windows TIMEOUT 180)
  add_test(NAME windows_wine_stop COMMAND bash ${WINDOWS_TESTS_DIR}/stop_wine.sh ${WINE_DIR})
  set_tests_properties(windows_wine_stop PROPERTIES
    FIXTURES_CLEANUP windows_wine LABELS windows TIMEOUT 60)
  windows_unit_tests(windows_unit ${WINDOWS_X64} ${WINE_DIR} windows_wine)
  set(WINDOWS_E2E_BINARY ${WINDOWS_X64}/pokomaru-jigsaw.exe)
  set(WINDOWS_E2E_WINE ${WINE_DIR})
  set(WINDOWS_E2E_FIXTURE windows_wine)
endif()

add_test(NAME windows_shipped_exe
  COMMAND bash ${WINDOWS_TESTS_DIR}/check_shipped_exe.sh ${WINDOWS_X86}/pokomaru-jigsaw.exe)
set_tests_properties(windows_shipped_exe PROPERTIES LABELS windows TIMEOUT 60)

add_test(NAME windows_package COMMAND bash ${WINDOWS_TESTS_DIR}/package_test.sh)
set_tests_properties(windows_package PROPERTIES LABELS windows TIMEOUT 120)

# Real-window tests of the game under Xvfb, openbox and Wine (the shipped
# executable where it runs, else its twin); one at a time, like the native
# ones, so that the game keeps its frame rate.
file(GLOB WINDOWS_E2E_SCRIPTS CONFIGURE_DEPENDS ${WINDOWS_TESTS_DIR}/e2e_*.sh)
list(REMOVE_ITEM WINDOWS_E2E_SCRIPTS ${WINDOWS_TESTS_DIR}/e2e_lib.sh)
foreach(script ${WINDOWS_E2E_SCRIPTS})
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME windows_${name} COMMAND bash ${script} WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
  set_tests_properties(windows_${name} PROPERTIES
    FIXTURES_REQUIRED ${WINDOWS_E2E_FIXTURE} RUN_SERIAL TRUE TIMEOUT 400 LABELS "windows;e2e"
    ENVIRONMENT "POKOMARU_BINARY=${WINDOWS_E2E_BINARY};POKOMARU_SOURCE_DIR=${CMAKE_SOURCE_DIR};POKOMARU_WINE_DIR=${WINDOWS_E2E_WINE};E2E_CLOSE_REQUEST=$<TARGET_FILE:e2e_close_request>;E2E_ARTIFACTS=${CMAKE_BINARY_DIR}/e2e-artifacts")
endforeach()

# The platform-independent unit tests, cross-built for Windows with
# GoogleTest compiled from its sources (libgtest-dev ships them), from the
# same test files as the native build. The native build's CTest runs them
# under Wine (tests/windows/windows_tests.cmake).

set(POKOMARU_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources to cross-build")
if(NOT EXISTS ${POKOMARU_GTEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${POKOMARU_GTEST_SOURCE_DIR}: install libgtest-dev (scripts/install-deps.sh)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${POKOMARU_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

set(UNIT_DIR ${CMAKE_SOURCE_DIR}/tests/unit)
set(WINDOWS_TEST_DIR ${CMAKE_BINARY_DIR}/tests)

# name, then its sources (relative to tests/unit).
function(windows_unit_test name)
  list(TRANSFORM ARGN PREPEND ${UNIT_DIR}/)
  add_executable(${name} ${ARGN})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_options(${name} PRIVATE ${POKOMARU_WARNINGS})
  # A test file costs most to compile in GoogleTest's header and in the
  # optimiser's time over its expansions: the header is compiled once, and
  # the tests' own files lightly optimised (the game's code they run keeps
  # the build's optimisation, as shipped).
  target_precompile_headers(${name} PRIVATE <gtest/gtest.h>)
  target_compile_options(${name} PRIVATE -O1)
  # Paths of the checkout, as Unix paths: under Wine they name the same
  # files through drive Z:, the whole Unix file system.
  target_compile_definitions(${name} PRIVATE
    POKOMARU_SOURCE_DIR="${CMAKE_SOURCE_DIR}" POKOMARU_BINARY_DIR="${CMAKE_BINARY_DIR}")
  target_link_libraries(${name} PRIVATE pokomaru_win32_testing pokomaru_platform_testing pokomaru_core
    gtest gtest_main gmock)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${WINDOWS_TEST_DIR})
  add_dependencies(windows_unit_tests ${name})
endfunction()

# All of them by one name; they are part of the default build as well.
add_custom_target(windows_unit_tests)

# The scene tests without the null backend (its hosted layer does not build
# against the Windows headers): recording doubles of the sounds and records
# take the place of its logs.
file(GLOB scene_tests RELATIVE ${UNIT_DIR} CONFIGURE_DEPENDS ${UNIT_DIR}/scenes/*.cpp)
list(REMOVE_ITEM scene_tests scenes/null_backend_logs.cpp scenes/saved_records_test.cpp)
windows_unit_test(test_scenes ${scene_tests} ../windows/scene_doubles.cpp ../support/game_invariants.cpp)
windows_unit_test(test_content
  content/catalogue_test.cpp content/labels_test.cpp content/records_test.cpp)
windows_unit_test(test_shell shell/frame_pacing_test.cpp platform/code_page_test.cpp)
# The fonts' layout over a glyph source of known metrics, the fonts with
# GDI glyphs (which also proves the prefix's face mapping), and the sprite
# batch, fonts and texture loader over a real Direct3D 9 device; PNG
# decoding through the Windows Imaging Component.
windows_unit_test(test_sprite
  platform/sprite/font_layout_test.cpp platform/sprite/font_test.cpp platform/sprite/d3d9_device_test.cpp
  platform/sprite/wic_decode_test.cpp
  ../windows/frame_skip_test.cpp)

# The real window system: window, icons, DirectInput, DirectMusic and every
# start-up fault, with the game's icon resource linked in; and the play
# clock's precision once the device is made.
windows_unit_test(test_windows_system ../windows/window_system_test.cpp startup/startup_test.cpp
  ../windows/play_clock_test.cpp)
target_sources(test_windows_system PRIVATE ${CMAKE_SOURCE_DIR}/src/platform/win32/resources.rc)
# Whole games on the real Direct3D 9 device with every present checked
# against a full drawing of its frame.
windows_unit_test(test_windows_game ../windows/whole_game_frames_test.cpp ../support/frame_check.cpp)

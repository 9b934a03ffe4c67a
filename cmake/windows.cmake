# The native Windows build: the same game code over the real Win32,
# Direct3D 9, DirectInput 8 and DirectMusic (src/platform/win32), cross-built
# with mingw-w64 and linked statically so that only system DLLs are needed.
# Included by the top-level CMakeLists.txt when the target is Windows.

include(${CMAKE_SOURCE_DIR}/cmake/host_tools.cmake)

set(GAME_GENERATED_SOURCES "")

# The 32-bit build does its double arithmetic in SSE2, as the 64-bit one
# does: the Direct3D 9 device (made without D3DCREATE_FPU_PRESERVE) sets the
# thread's x87 unit to single precision, and on the x87 every double of the
# game after start-up (the play clock, the positions) would be rounded to
# 24 bits. Every processor Windows 7 and later run on has SSE2.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_compile_options(-msse2 -mfpmath=sse)
endif()

# The oldest Windows the game starts on: the system headers then offer
# nothing newer than Windows 7, so a later function is a compile error
# (tests/windows/check_shipped_exe.sh checks the imports themselves).
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601)
include(${CMAKE_SOURCE_DIR}/cmake/catalogue.cmake)

include(${CMAKE_SOURCE_DIR}/cmake/layers.cmake)

# The Windows backend: the real Win32, Direct3D 9, DirectInput 8 and
# DirectMusic under the same names the game calls.
file(GLOB WIN32_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/platform/win32/*.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/win32/*.c)
file(GLOB WIN32_RESOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/win32/*.rc)
pokomaru_layer(pokomaru_win32 ${WIN32_SOURCES})
# Its test part: the message box that reports to the tests.
pokomaru_testing_layer(pokomaru_win32_testing win32)

# usp10 before gdi32: mingw's gdi32 import library also lists the Script*
# functions (Windows 8's gdi32 forwards them), and the first library that
# has a function is the one the executable imports it from. Windows 7's
# gdi32 has none of them and would refuse to start the game.
set(WINDOWS_SYSTEM_LIBRARIES
  d3d9 dinput8 dxguid ole32 oleaut32 uuid user32 usp10 gdi32 imm32 winmm windowscodecs)

pokomaru_program_libraries(pokomaru_core pokomaru_win32)
target_link_libraries(pokomaru_core INTERFACE ${WINDOWS_SYSTEM_LIBRARIES})
# Only system DLLs at run time: the compiler's own runtime goes inside.
target_link_options(pokomaru_core INTERFACE -static -static-libgcc -static-libstdc++)

add_executable(pokomaru-jigsaw WIN32 ${CMAKE_SOURCE_DIR}/src/shell/winmain.cpp ${WIN32_RESOURCES})
target_compile_options(pokomaru-jigsaw PRIVATE ${POKOMARU_WARNINGS})
target_link_libraries(pokomaru-jigsaw PRIVATE pokomaru_core)
set_target_properties(pokomaru-jigsaw PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

if(POKOMARU_TESTS AND EXISTS ${CMAKE_SOURCE_DIR}/tests/windows/unit.cmake)
  include(${CMAKE_SOURCE_DIR}/tests/windows/unit.cmake)
endif()

# The browser build: the same game code over the browser's own facilities
# (src/platform/web: page events, WebGL, canvas text, the image decoder,
# WebAudio, IndexedDB), compiled to WebAssembly by emscripten with nothing
# downloaded (no emscripten ports). Included by the top-level CMakeLists.txt
# when configured with emcmake; scripts/build-web.sh drives it and puts the
# site together in dist/web.

include(${CMAKE_SOURCE_DIR}/cmake/host_tools.cmake)

set(GAME_GENERATED_SOURCES "")
include(${CMAKE_SOURCE_DIR}/cmake/catalogue.cmake)

# The layers, as in the native build: the game, the sprite layer and the
# shared platform code, the hosted layer (the Windows names over a backend)
# and the browser's backend with the POSIX file steps (the browser's file
# system is POSIX to the program). Code page 932 comes from the browser's
# decoder (web/sjis_web.cpp): the C library's iconv here knows no Windows
# code page.
include(${CMAKE_SOURCE_DIR}/cmake/layers.cmake)
pokomaru_hosted_layer()
file(GLOB WEB_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/platform/web/*.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/posix/*.cpp)
list(REMOVE_ITEM WEB_SOURCES ${CMAKE_SOURCE_DIR}/src/platform/posix/sjis_iconv.cpp)
# A page always has a keyboard and a pointer, and offers no game controller.
pokomaru_layer(pokomaru_web ${WEB_SOURCES} ${CMAKE_SOURCE_DIR}/src/platform/hosted/fixed/input_fixed.cpp)
pokomaru_program_libraries(pokomaru_web_core pokomaru_hosted pokomaru_web)
set(WEB_COMPILE_OPTIONS ${POKOMARU_WARNINGS})

set(WEB_PAGE_DIR ${CMAKE_SOURCE_DIR}/src/platform/web/page)
# What the program asks of the browser: WebGL 1 or 2 through the GLES2
# calls, a growing heap, the file system with IndexedDB behind game/, the
# data folder carried beside the program, and Sleep as an asynchronous wait
# (Asyncify) so that the main loop runs as it is. Asyncify instruments only
# what can reach a wait through direct calls: the game never sleeps or
# decodes through a function pointer.
set(WEB_LINK_OPTIONS
  -sENVIRONMENT=web
  -sMIN_WEBGL_VERSION=1 -sMAX_WEBGL_VERSION=2
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=64MB
  -sASYNCIFY -sASYNCIFY_IGNORE_INDIRECT -sASYNCIFY_STACK_SIZE=65536
  "-sASYNCIFY_IMPORTS=['pokomaru_decode_png','pokomaru_message_box']"
  -sEXIT_RUNTIME=1
  -sMODULARIZE=1 -sEXPORT_NAME=createGame
  "-sEXPORTED_RUNTIME_METHODS=['FS','IDBFS','ccall','cwrap','UTF8ToString']"
  "-sEXPORTED_FUNCTIONS=['_main','_malloc','_free']"
  -lidbfs.js
  "SHELL:--js-library ${WEB_PAGE_DIR}/library_pokomaru.js"
  "SHELL:--preload-file ${CMAKE_SOURCE_DIR}/game/bitmap.png@/game/bitmap.png"
  "SHELL:--preload-file ${CMAKE_SOURCE_DIR}/game/wave00.wav@/game/wave00.wav"
  "SHELL:--preload-file ${CMAKE_SOURCE_DIR}/game/wave01.wav@/game/wave01.wav"
  "SHELL:--preload-file ${CMAKE_SOURCE_DIR}/game/wave02.wav@/game/wave02.wav"
  "SHELL:--preload-file ${CMAKE_SOURCE_DIR}/game/wave03.wav@/game/wave03.wav"
  "SHELL:--preload-file ${CMAKE_SOURCE_DIR}/game/wave04.wav@/game/wave04.wav")

add_executable(pokomaru-jigsaw ${CMAKE_SOURCE_DIR}/src/shell/main.cpp)
target_compile_options(pokomaru-jigsaw PRIVATE ${WEB_COMPILE_OPTIONS})
target_link_libraries(pokomaru-jigsaw PRIVATE pokomaru_web_core)
target_link_options(pokomaru-jigsaw PRIVATE ${WEB_LINK_OPTIONS})
set_target_properties(pokomaru-jigsaw PROPERTIES SUFFIX ".js"
  LINK_DEPENDS "${WEB_PAGE_DIR}/library_pokomaru.js;${CMAKE_SOURCE_DIR}/game/bitmap.png")

# The same page with what the browser tests read of the running game
# (tests/web/support): the tests swap these two files into a copy of the
# site. Not part of the site itself.
add_executable(pokomaru-jigsaw-test EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/src/shell/main.cpp
  ${CMAKE_SOURCE_DIR}/tests/web/support/test_exports.cpp ${CMAKE_SOURCE_DIR}/tests/support/frame_check.cpp)
target_include_directories(pokomaru-jigsaw-test PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_compile_options(pokomaru-jigsaw-test PRIVATE ${WEB_COMPILE_OPTIONS})
target_link_libraries(pokomaru-jigsaw-test PRIVATE pokomaru_hosted_testing pokomaru_web_core)
target_link_options(pokomaru-jigsaw-test PRIVATE ${WEB_LINK_OPTIONS}
  "SHELL:--js-library ${CMAKE_SOURCE_DIR}/tests/web/support/library_test.js")
set_target_properties(pokomaru-jigsaw-test PROPERTIES SUFFIX ".js"
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/test-page OUTPUT_NAME pokomaru-jigsaw
  LINK_DEPENDS "${WEB_PAGE_DIR}/library_pokomaru.js;${CMAKE_SOURCE_DIR}/tests/web/support/library_test.js;${CMAKE_SOURCE_DIR}/game/bitmap.png")

# The web layer's own logic, run under node (tests/web/run.sh).
add_executable(web_page_input_test EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/tests/web/unit/page_input_test.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/web/page_input.cpp)
target_include_directories(web_page_input_test PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_compile_options(web_page_input_test PRIVATE ${WEB_COMPILE_OPTIONS})
target_link_options(web_page_input_test PRIVATE -sENVIRONMENT=node -sEXIT_RUNTIME=1)
set_target_properties(web_page_input_test PROPERTIES SUFFIX ".js" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/unit)

# The browser build: the same game code over the browser's own facilities
# (src/platform/web: page events, WebGL, canvas text, the image decoder,
# WebAudio, IndexedDB), compiled to WebAssembly by emscripten with nothing
# downloaded (no emscripten ports). Included by the top-level CMakeLists.txt
# when configured with emcmake; scripts/build-web.sh drives it and puts the
# site together in dist/web.

# The catalogue generator runs on the build machine, built by its own
# compiler as a small project of its own, exactly as for the Windows build.
find_program(POKOMARU_HOST_CXX NAMES c++ g++ clang++ NO_CMAKE_FIND_ROOT_PATH REQUIRED)
include(ExternalProject)
set(HOST_TOOLS_DIR ${CMAKE_BINARY_DIR}/host-tools)
set(HOST_CATALOGUE_GEN ${HOST_TOOLS_DIR}/catalogue_gen)
ExternalProject_Add(host_tools
  SOURCE_DIR ${CMAKE_SOURCE_DIR}/cmake/host-tools
  BINARY_DIR ${HOST_TOOLS_DIR}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DPOKOMARU_REPO_DIR=${CMAKE_SOURCE_DIR}
  # The host compiler and a plain host configuration, whatever emcmake set.
  CMAKE_CACHE_ARGS -DCMAKE_CXX_COMPILER:FILEPATH=${POKOMARU_HOST_CXX}
                   -DCMAKE_TOOLCHAIN_FILE:FILEPATH=
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${HOST_CATALOGUE_GEN})
add_executable(catalogue_gen IMPORTED GLOBAL)
set_target_properties(catalogue_gen PROPERTIES IMPORTED_LOCATION ${HOST_CATALOGUE_GEN})
add_dependencies(catalogue_gen host_tools)

set(GAME_GENERATED_SOURCES "")
include(${CMAKE_SOURCE_DIR}/cmake/catalogue.cmake)

# Folder by folder: the game, the shared platform code, the POSIX file steps
# (the browser's file system is POSIX to the program) and the web backend.
file(GLOB WEB_CORE_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/shell/*.cpp
  ${CMAKE_SOURCE_DIR}/src/scenes/*.cpp
  ${CMAKE_SOURCE_DIR}/src/content/*.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/*.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/sprite/*.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/posix/*.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/web/*.cpp)
# The frame calls go straight to the device, as on every platform but Windows.
list(APPEND WEB_CORE_SOURCES ${CMAKE_SOURCE_DIR}/src/platform/hosted/frame_calls_hosted.cpp)
# Code page 932 comes from the browser's decoder (web/sjis_web.cpp): the C
# library's iconv here knows no Windows code page.
list(REMOVE_ITEM WEB_CORE_SOURCES ${CMAKE_SOURCE_DIR}/src/shell/main.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/posix/sjis_iconv.cpp)

set(WEB_COMPILE_OPTIONS ${POKOMARU_WARNINGS})
add_library(pokomaru_web_core STATIC ${WEB_CORE_SOURCES} ${GAME_GENERATED_SOURCES})
target_include_directories(pokomaru_web_core PUBLIC ${CMAKE_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
target_compile_options(pokomaru_web_core PRIVATE ${WEB_COMPILE_OPTIONS})

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
  ${CMAKE_SOURCE_DIR}/tests/web/support/test_exports.cpp)
target_compile_options(pokomaru-jigsaw-test PRIVATE ${WEB_COMPILE_OPTIONS})
target_link_libraries(pokomaru-jigsaw-test PRIVATE pokomaru_web_core)
target_link_options(pokomaru-jigsaw-test PRIVATE ${WEB_LINK_OPTIONS})
set_target_properties(pokomaru-jigsaw-test PROPERTIES SUFFIX ".js"
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/test-page OUTPUT_NAME pokomaru-jigsaw
  LINK_DEPENDS "${WEB_PAGE_DIR}/library_pokomaru.js;${CMAKE_SOURCE_DIR}/game/bitmap.png")

# The web layer's own logic, run under node (tests/web/run.sh).
add_executable(web_page_input_test EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/tests/web/unit/page_input_test.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/web/page_input.cpp)
target_include_directories(web_page_input_test PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_compile_options(web_page_input_test PRIVATE ${WEB_COMPILE_OPTIONS})
target_link_options(web_page_input_test PRIVATE -sENVIRONMENT=node -sEXIT_RUNTIME=1)
set_target_properties(web_page_input_test PROPERTIES SUFFIX ".js" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/unit)

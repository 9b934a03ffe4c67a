# One static library per layer of src/, folder by folder, and the build step
# that checks every include runs down the house (cmake/check_layers.cmake).
# Shared by the native and the Windows builds; each adds its backends with
# pokomaru_layer() and ties a program together with pokomaru_program_libraries().

# The headers every layer and test sees: src/ and the generated texts.
add_library(pokomaru_headers INTERFACE)
target_include_directories(pokomaru_headers INTERFACE ${CMAKE_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)

file(GLOB_RECURSE POKOMARU_ALL_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/*.h ${CMAKE_SOURCE_DIR}/src/*.c ${CMAKE_SOURCE_DIR}/src/*.cpp ${CMAKE_SOURCE_DIR}/src/*.inc)
set(LAYERING_STAMP ${CMAKE_BINARY_DIR}/layering_checked.stamp)
add_custom_command(
  OUTPUT ${LAYERING_STAMP}
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR}/src -DSTAMP=${LAYERING_STAMP}
          -P ${CMAKE_SOURCE_DIR}/cmake/check_layers.cmake
  DEPENDS ${POKOMARU_ALL_SOURCES} ${CMAKE_SOURCE_DIR}/cmake/check_layers.cmake
  COMMENT "Checking that every include runs down the layers"
  VERBATIM)
add_custom_target(layering_check DEPENDS ${LAYERING_STAMP})

set(POKOMARU_LAYERS "")
# pokomaru_layer(<name> <sources...>): one layer's library.
function(pokomaru_layer name)
  add_library(${name} STATIC ${ARGN})
  target_link_libraries(${name} PUBLIC pokomaru_headers)
  target_compile_options(${name} PRIVATE ${POKOMARU_WARNINGS})
  add_dependencies(${name} layering_check)
  set(POKOMARU_LAYERS ${POKOMARU_LAYERS} ${name} PARENT_SCOPE)
endfunction()

# The game: shell, scenes, content and the generated catalogue.
file(GLOB GAME_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/shell/*.cpp
  ${CMAKE_SOURCE_DIR}/src/scenes/*.cpp
  ${CMAKE_SOURCE_DIR}/src/content/*.cpp)
# main() belongs to the program; on Windows WinMain itself is the entry and
# goes with the program too, elsewhere main() calls it and tests start it.
list(REMOVE_ITEM GAME_SOURCES ${CMAKE_SOURCE_DIR}/src/shell/main.cpp)
if(WIN32)
  list(REMOVE_ITEM GAME_SOURCES ${CMAKE_SOURCE_DIR}/src/shell/winmain.cpp)
endif()
pokomaru_layer(pokomaru_game ${GAME_SOURCES} ${GAME_GENERATED_SOURCES})

file(GLOB SPRITE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/sprite/*.cpp)
pokomaru_layer(pokomaru_sprite ${SPRITE_SOURCES})

# The shared platform services (src/platform/*.cpp).
file(GLOB PLATFORM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/*.cpp)
pokomaru_layer(pokomaru_platform ${PLATFORM_SOURCES})

# pokomaru_program_libraries(<interface target> <backend layers...>): the
# game over the named backend. The layers call each other both ways (the game
# calls the platform, a backend implements what the shared layers declare),
# so they are linked as one group; each program links exactly one backend.
function(pokomaru_program_libraries target)
  add_library(${target} INTERFACE)
  string(REPLACE ";" "," group "pokomaru_game;pokomaru_sprite;pokomaru_platform;${ARGN}")
  target_link_libraries(${target} INTERFACE "$<LINK_GROUP:RESCAN,${group}>")
endfunction()

# The hosted layer: the Windows names once, over a backend, for every
# platform but Windows.
macro(pokomaru_hosted_layer)
  file(GLOB HOSTED_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/hosted/*.cpp)
  pokomaru_layer(pokomaru_hosted ${HOSTED_SOURCES})
  # Its test part: the device's diagnostics, linked only by test builds.
  pokomaru_testing_layer(pokomaru_hosted_testing hosted)
endmacro()

# pokomaru_testing_layer(<name> <folder under src/platform>): what tests ask
# of a layer beyond what the game needs (src/platform/<folder>/testing/), as
# a library only test builds link; the game program holds none of it.
function(pokomaru_testing_layer name folder)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/${folder}/testing/*.cpp)
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC pokomaru_headers)
  target_compile_options(${name} PRIVATE ${POKOMARU_WARNINGS})
  add_dependencies(${name} layering_check)
endfunction()

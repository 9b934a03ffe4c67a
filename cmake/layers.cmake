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
# pokomaru_testing_layer(<name> <folder under src/platform, or .>): what tests
# ask of a layer beyond what the game needs (src/platform/<folder>/testing/),
# as a library only test builds link; the game program holds none of it.
function(pokomaru_testing_layer name folder)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/${folder}/testing/*.cpp)
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC pokomaru_headers)
  target_compile_options(${name} PRIVATE ${POKOMARU_WARNINGS})
  add_dependencies(${name} layering_check)
endfunction()

# The texts generated from content/*.tsv, which the shell and the scenes
# include as well as the content: made before any game layer compiles.
if(CATALOGUE_OUTPUTS)
  add_custom_target(generated_texts DEPENDS ${CATALOGUE_OUTPUTS})
endif()

# pokomaru_game_layer(<name> <sources...>): one layer of the game, a static
# library of its own: shell, scenes, content and state link in that order,
# each calling only those below it.
function(pokomaru_game_layer name)
  add_library(${name} STATIC ${ARGN})
  target_link_libraries(${name} PUBLIC pokomaru_headers)
  target_compile_options(${name} PRIVATE ${POKOMARU_WARNINGS})
  add_dependencies(${name} layering_check)
  if(TARGET generated_texts)
    add_dependencies(${name} generated_texts)
  endif()
  set(POKOMARU_LAYERS ${POKOMARU_LAYERS} ${name} PARENT_SCOPE)
endfunction()

# pokomaru_layer(<name> <sources...>): one part of the platform below the
# game (the sprite layer, the shared services, the hosted layer, a backend),
# compiled once; pokomaru_program_libraries puts the parts of one platform
# together.
function(pokomaru_layer name)
  add_library(${name} OBJECT ${ARGN})
  target_link_libraries(${name} PUBLIC pokomaru_headers)
  target_compile_options(${name} PRIVATE ${POKOMARU_WARNINGS})
  add_dependencies(${name} layering_check)
  set(POKOMARU_LAYERS ${POKOMARU_LAYERS} ${name} PARENT_SCOPE)
endfunction()

# The game: shell, scenes, content (with the texts generated from the
# tables) and the state they share.
file(GLOB SHELL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/shell/*.cpp)
# main() belongs to the program; on Windows WinMain itself is the entry and
# goes with the program too, elsewhere main() calls it and tests start it.
list(REMOVE_ITEM SHELL_SOURCES ${CMAKE_SOURCE_DIR}/src/shell/main.cpp)
if(WIN32)
  list(REMOVE_ITEM SHELL_SOURCES ${CMAKE_SOURCE_DIR}/src/shell/winmain.cpp)
endif()
pokomaru_game_layer(pokomaru_shell ${SHELL_SOURCES})
file(GLOB SCENES_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/scenes/*.cpp)
pokomaru_game_layer(pokomaru_scenes ${SCENES_SOURCES})
file(GLOB CONTENT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/content/*.cpp)
pokomaru_game_layer(pokomaru_content ${CONTENT_SOURCES} ${GAME_GENERATED_SOURCES})
file(GLOB STATE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/state/*.cpp)
pokomaru_game_layer(pokomaru_state ${STATE_SOURCES})

file(GLOB SPRITE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/sprite/*.cpp)
pokomaru_layer(pokomaru_sprite ${SPRITE_SOURCES})

# The shared platform services (src/platform/*.cpp), and their test part.
file(GLOB PLATFORM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/*.cpp)
pokomaru_layer(pokomaru_platform ${PLATFORM_SOURCES})
pokomaru_testing_layer(pokomaru_platform_testing .)

# pokomaru_program_libraries(<interface target> <backend parts...>): the
# game over the named backend. Below the game the platform is one library:
# the sprite layer draws on the device and on the backend's glyphs and
# decoder, while a backend's own failure box draws with the sprite layer's
# fonts and the shared record file runs on the backend's file steps, so the
# parts call each other both ways; the include check still keeps their
# order. Each program links exactly one backend.
function(pokomaru_program_libraries target)
  add_library(${target}_platform STATIC)
  target_link_libraries(${target}_platform PUBLIC pokomaru_sprite pokomaru_platform ${ARGN})
  add_library(${target} INTERFACE)
  target_link_libraries(${target} INTERFACE
    pokomaru_shell pokomaru_scenes pokomaru_content pokomaru_state ${target}_platform)
endfunction()

# The hosted layer: the Windows names once, over a backend, for every
# platform but Windows.
macro(pokomaru_hosted_layer)
  file(GLOB HOSTED_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/hosted/*.cpp)
  pokomaru_layer(pokomaru_hosted ${HOSTED_SOURCES})
  # Its test part: the device's diagnostics, linked only by test builds.
  pokomaru_testing_layer(pokomaru_hosted_testing hosted)
endmacro()


# The layering check: every quoted include in src/ must point down the
# house, never up or sideways. Run as a build step (cmake -P) so that a wrong
# include fails the build with the file, the line and the rule it breaks.
#
#   shell                   -> scenes, content, state, sprite, platform
#   scenes                  -> content, state, sprite, platform
#   content (and the generated texts) -> state, platform
#   state                   -> sprite, platform
#   sprite                  -> platform
#   platform (platform/*.h|cpp) -> nothing above it: no sprite, no game, no backend
#   hosted                  -> sprite, platform; no backend folder
#   posix                   -> platform
#   sdl, web                -> hosted, posix, sprite, platform; no other backend
#   null                    -> hosted, sprite, platform; no other backend
#   win32                   -> sprite, platform; not hosted, no other backend
# A folder's testing/ part (what only test builds link) counts as its folder.
#
# Usage: cmake -DSOURCE_DIR=<repo>/src -DSTAMP=<file> -P check_layers.cmake

cmake_minimum_required(VERSION 3.22)

# The layer a path under src/ (or an include target) belongs to.
function(layer_of path out)
  if(path MATCHES "^(shell|scenes|content|state)/")
    set(${out} ${CMAKE_MATCH_1} PARENT_SCOPE)
  elseif(path MATCHES "^ui_text\\.h$" OR path MATCHES "^catalogue_")
    set(${out} content PARENT_SCOPE)  # the texts generated from content/*.tsv
  elseif(path MATCHES "^platform/(sprite|sdl|win32|web|null|hosted|posix)/")
    set(${out} ${CMAKE_MATCH_1} PARENT_SCOPE)
  elseif(path MATCHES "^platform/")
    set(${out} platform PARENT_SCOPE)
  else()
    set(${out} other PARENT_SCOPE)
  endif()
endfunction()

# Which layers `from` may include.
set(allowed_shell shell scenes content state sprite platform other)
set(allowed_scenes scenes content state sprite platform other)
set(allowed_content content state platform other)
set(allowed_state state sprite platform other)
set(allowed_sprite sprite platform other)
set(allowed_platform platform other)
set(allowed_hosted hosted sprite platform other)
set(allowed_posix posix platform other)
set(allowed_sdl sdl hosted posix sprite platform other)
set(allowed_web web hosted posix sprite platform other)
set(allowed_null null hosted sprite platform other)
set(allowed_win32 win32 sprite platform other)

file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR}
  ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.hpp ${SOURCE_DIR}/*.c ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.inc)
set(errors "")
foreach(file ${files})
  layer_of(${file} from)
  file(STRINGS ${SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line ${lines})
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" target "${line}")
    layer_of(${target} to)
    if(NOT to IN_LIST allowed_${from})
      string(APPEND errors "src/${file}: includes \"${target}\": the ${from} layer may not include the ${to} layer\n")
    endif()
  endforeach()
endforeach()
if(errors)
  message(FATAL_ERROR "Wrong includes:\n${errors}")
endif()
if(STAMP)
  file(TOUCH ${STAMP})
endif()

# The catalogue texts and the fixed texts of the game are edited as UTF-8
# tables in content/ and compiled in as constant Shift-JIS strings. The
# generator runs on the build machine whenever a table, the piece geometry
# (whose comments name the pieces) or the generator itself changes; any fault
# in a table stops the build with the file and row named.

# A cross build brings its own catalogue_gen, built for the build machine.
if(NOT TARGET catalogue_gen)
  find_package(Iconv REQUIRED)
  add_executable(catalogue_gen ${CMAKE_SOURCE_DIR}/tools/catalogue/catalogue_gen.cpp)
  target_compile_options(catalogue_gen PRIVATE ${POKOMARU_WARNINGS})
  target_link_libraries(catalogue_gen PRIVATE Iconv::Iconv)
  # A fixed place, so that the generator's own tests can run it.
  set_target_properties(catalogue_gen PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools/catalogue)
endif()

set(CATALOGUE_OUT_DIR ${CMAKE_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${CATALOGUE_OUT_DIR})
set(CATALOGUE_INPUTS
  ${CMAKE_SOURCE_DIR}/content/municipalities.tsv
  ${CMAKE_SOURCE_DIR}/content/mascots.tsv
  ${CMAKE_SOURCE_DIR}/content/ui_texts.tsv
  ${CMAKE_SOURCE_DIR}/src/content/piece_geometry.cpp)
set(CATALOGUE_OUTPUTS
  ${CATALOGUE_OUT_DIR}/catalogue_data.cpp
  ${CATALOGUE_OUT_DIR}/ui_text.cpp
  ${CATALOGUE_OUT_DIR}/ui_text.h)

add_custom_command(
  OUTPUT ${CATALOGUE_OUTPUTS}
  COMMAND catalogue_gen ${CATALOGUE_INPUTS} ${CATALOGUE_OUT_DIR}
  DEPENDS catalogue_gen ${CATALOGUE_INPUTS}
  COMMENT "Generating the Shift-JIS catalogue and fixed texts"
  VERBATIM)
list(APPEND GAME_GENERATED_SOURCES ${CATALOGUE_OUT_DIR}/catalogue_data.cpp ${CATALOGUE_OUT_DIR}/ui_text.cpp)

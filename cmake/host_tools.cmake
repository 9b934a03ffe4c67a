# The catalogue generator for a cross build (Windows, the browser): it runs on
# the build machine, so it is built by the machine's own compiler as a small
# project of its own (cmake/host-tools), and its output feeds the cross build
# exactly as in the native build.
find_program(POKOMARU_HOST_CXX NAMES c++ g++ clang++ NO_CMAKE_FIND_ROOT_PATH REQUIRED)
include(ExternalProject)
set(HOST_TOOLS_DIR ${CMAKE_BINARY_DIR}/host-tools)
set(HOST_CATALOGUE_GEN ${HOST_TOOLS_DIR}/catalogue_gen)
ExternalProject_Add(host_tools
  SOURCE_DIR ${CMAKE_SOURCE_DIR}/cmake/host-tools
  BINARY_DIR ${HOST_TOOLS_DIR}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DPOKOMARU_REPO_DIR=${CMAKE_SOURCE_DIR}
  # The host compiler and a plain host configuration, whatever the cross
  # toolchain says.
  CMAKE_CACHE_ARGS -DCMAKE_CXX_COMPILER:FILEPATH=${POKOMARU_HOST_CXX}
                   -DCMAKE_TOOLCHAIN_FILE:FILEPATH=
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${HOST_CATALOGUE_GEN})
add_executable(catalogue_gen IMPORTED GLOBAL)
set_target_properties(catalogue_gen PROPERTIES IMPORTED_LOCATION ${HOST_CATALOGUE_GEN})
add_dependencies(catalogue_gen host_tools)

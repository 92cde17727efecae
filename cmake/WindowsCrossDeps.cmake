# What a cross build for Windows takes from the Debian machine it runs on: the
# header-only JSON library and GoogleTest's source, both as Debian installs them.
# Nothing is downloaded.

# nlohmann-json: only its own headers, staged apart, so that the host's
# /usr/include (glibc) never reaches the Windows compiler.
find_path(VALDRO_NLOHMANN_DIR nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(_stage ${CMAKE_BINARY_DIR}/cross-include)
file(MAKE_DIRECTORY ${_stage})
file(COPY ${VALDRO_NLOHMANN_DIR}/nlohmann DESTINATION ${_stage})
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
  INTERFACE_SYSTEM_INCLUDE_DIRECTORIES ${_stage}
  INTERFACE_INCLUDE_DIRECTORIES ${_stage})

# GoogleTest from the source Debian's googletest package installs.
if(VALDRO_BUILD_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

# Tests and the build's own runs go through Wine, in a prefix of this build's own.
find_program(VALDRO_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR
  ${CMAKE_COMMAND} -E env WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEDEBUG=-all ${VALDRO_WINE})

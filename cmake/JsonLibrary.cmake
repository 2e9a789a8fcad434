# The JSON library, header-only: nlohmann-json (Debian's nlohmann-json3-dev), as the target
# tarnwick_json. Debian installs it under /usr/include, which a cross build must not search as
# a whole (the host's C library headers would shadow MinGW-w64's): the build reaches it through
# a folder of its own that holds only that library. A native build (Visual Studio, with the
# library from vcpkg or installed with CMake) uses the library's CMake package.
add_library(tarnwick_json INTERFACE)
if(CMAKE_CROSSCOMPILING)
  find_path(TARNWICK_NLOHMANN_JSON_INCLUDE nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH)
  if(NOT TARNWICK_NLOHMANN_JSON_INCLUDE)
    message(FATAL_ERROR "nlohmann/json.hpp not found: install Debian's nlohmann-json3-dev")
  endif()
  set(json_include "${CMAKE_BINARY_DIR}/thirdparty/include")
  file(MAKE_DIRECTORY "${json_include}")
  file(CREATE_LINK "${TARNWICK_NLOHMANN_JSON_INCLUDE}/nlohmann" "${json_include}/nlohmann" SYMBOLIC)
  target_include_directories(tarnwick_json SYSTEM INTERFACE "${json_include}")
else()
  find_package(nlohmann_json 3.9 CONFIG REQUIRED)
  target_link_libraries(tarnwick_json INTERFACE nlohmann_json::nlohmann_json)
endif()

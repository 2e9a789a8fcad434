# zlib (deflate, inflate and CRC-32 for the backup's zip files) as the target tarnwick_zlib,
# linked statically. A cross build takes Debian's libz-mingw-w64-dev; a native build (Visual
# Studio, with zlib from vcpkg or installed with CMake) uses CMake's own FindZLIB.
add_library(tarnwick_zlib INTERFACE)
if(CMAKE_CROSSCOMPILING)
  find_path(TARNWICK_ZLIB_INCLUDE zlib.h)
  find_library(TARNWICK_ZLIB_LIBRARY NAMES libz.a)
  if(NOT TARNWICK_ZLIB_INCLUDE OR NOT TARNWICK_ZLIB_LIBRARY)
    message(FATAL_ERROR "zlib for MinGW-w64 not found: install Debian's libz-mingw-w64-dev")
  endif()
  target_include_directories(tarnwick_zlib SYSTEM INTERFACE "${TARNWICK_ZLIB_INCLUDE}")
  target_link_libraries(tarnwick_zlib INTERFACE "${TARNWICK_ZLIB_LIBRARY}")
else()
  find_package(ZLIB REQUIRED)
  target_link_libraries(tarnwick_zlib INTERFACE ZLIB::ZLIB)
endif()

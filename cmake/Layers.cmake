# The program's layers: one folder and one static library each, linked one way.
#
#   tarnwick_layer(<folder> [BELOW <folder>...])
#
# makes tarnwick_<folder> from the sources that <folder>/CMakeLists.txt adds, links it to the
# libraries of the folders below it, and checks at build time that no file of the folder
# includes a header ("<folder>/...") of a folder that is neither itself nor below it.
set(TARNWICK_LAYER_FOLDERS platform model log archive devices discovery saving backup restore framework ui app resources)

function(tarnwick_layer name)
  cmake_parse_arguments(L "" "" "BELOW" ${ARGN})
  add_library(tarnwick_${name} STATIC)
  foreach(below IN LISTS L_BELOW)
    if(TARGET tarnwick_${below} AND NOT below STREQUAL "resources")
      target_link_libraries(tarnwick_${name} PUBLIC tarnwick_${below})
    endif()
  endforeach()
  add_subdirectory(${name})

  file(GLOB files CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.h"
       "${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp")
  set(allowed ${name} ${L_BELOW})
  list(JOIN allowed "," allowed_text)
  list(JOIN TARNWICK_LAYER_FOLDERS "," folders_text)
  set(stamp "${CMAKE_BINARY_DIR}/layers/${name}.checked")
  add_custom_command(
    OUTPUT "${stamp}"
    COMMAND "${CMAKE_COMMAND}" "-DLAYER=${name}" "-DALLOWED=${allowed_text}" "-DFOLDERS=${folders_text}"
            "-DSOURCE_DIR=${CMAKE_CURRENT_SOURCE_DIR}" "-DSTAMP=${stamp}"
            -P "${CMAKE_CURRENT_SOURCE_DIR}/cmake/CheckLayerIncludes.cmake"
    DEPENDS ${files} "${CMAKE_CURRENT_SOURCE_DIR}/cmake/CheckLayerIncludes.cmake"
    COMMENT "Checking the includes of layer ${name}"
    VERBATIM)
  add_custom_target(tarnwick_${name}_includes DEPENDS "${stamp}")
  add_dependencies(tarnwick_${name} tarnwick_${name}_includes)
endfunction()

# Target "dist": the release zip tarnwick-<version>-<arch>.zip in the build folder. The
# version is the one of the VERSION file, as in the program's version resource and about box.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TARNWICK_PACKAGE_ARCH x64)
else()
  set(TARNWICK_PACKAGE_ARCH x86)
endif()
set(TARNWICK_PACKAGE_FILE "${CMAKE_BINARY_DIR}/tarnwick-${PROJECT_VERSION}-${TARNWICK_PACKAGE_ARCH}.zip")

add_custom_target(dist
  COMMAND "${CMAKE_COMMAND}"
          "-DEXE=$<TARGET_FILE:tarnwick>"
          "-DHELP=$<TARGET_FILE_DIR:tarnwick>/Help.chm"
          "-DREADME=${PROJECT_SOURCE_DIR}/README.md"
          "-DLICENSE=${PROJECT_SOURCE_DIR}/LICENSE"
          "-DOUTPUT=${TARNWICK_PACKAGE_FILE}"
          -P "${PROJECT_SOURCE_DIR}/cmake/MakeReleasePackage.cmake"
  COMMENT "Packing the release zip"
  VERBATIM)
add_dependencies(dist tarnwick)
if(TARGET tarnwick_help)
  add_dependencies(dist tarnwick_help)
endif()

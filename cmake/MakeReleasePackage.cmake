# Makes the release zip: the program, its help file, the README and the licence, side by side
# at the root of the archive. Run as a script, so the build target and the test that checks
# the zip use the same packaging:
#
#   cmake -DEXE=tarnwick.exe -DHELP=Help.chm -DREADME=README.md -DLICENSE=LICENSE
#         -DOUTPUT=tarnwick-<version>-x64.zip -P MakeReleasePackage.cmake
#
# The program is signed (Authenticode, SHA-256) before it is packed when a certificate is named
# in the environment: TARNWICK_SIGN_PFX (a PKCS#12 file), TARNWICK_SIGN_PASSWORD and, for a
# signature that outlives the certificate, TARNWICK_SIGN_TIMESTAMP (an RFC 3161 server's
# address). Without one the zip holds the program as built, and the packing says so.
foreach(input EXE HELP README LICENSE)
  if(NOT DEFINED ${input} OR NOT EXISTS "${${input}}")
    set(hint "")
    if(input STREQUAL "HELP")
      set(hint " (the help is built only where chmcmd is installed)")
    endif()
    message(FATAL_ERROR "Release package: ${input} file '${${input}}' is missing${hint}")
  endif()
endforeach()
if(NOT OUTPUT)
  message(FATAL_ERROR "Release package: OUTPUT is not given")
endif()

# The names inside the zip; LICENSE gets an extension so that Windows opens it as text.
set(contents tarnwick.exe Help.chm README.md LICENSE.txt)
set(sources "${EXE}" "${HELP}" "${README}" "${LICENSE}")

set(stage "${OUTPUT}.contents")
file(REMOVE_RECURSE "${stage}")
file(MAKE_DIRECTORY "${stage}")
foreach(name source IN ZIP_LISTS contents sources)
  configure_file("${source}" "${stage}/${name}" COPYONLY)
endforeach()

include("${CMAKE_CURRENT_LIST_DIR}/SignProgram.cmake")
tarnwick_sign_program("${stage}/tarnwick.exe" "${stage}" sign_error)
if(sign_error)
  file(REMOVE_RECURSE "${stage}")
  message(FATAL_ERROR "Release package: ${sign_error}")
endif()

file(REMOVE "${OUTPUT}")
execute_process(
  COMMAND "${CMAKE_COMMAND}" -E tar cf "${OUTPUT}" --format=zip ${contents}
  WORKING_DIRECTORY "${stage}"
  RESULT_VARIABLE result)
file(REMOVE_RECURSE "${stage}")
if(NOT result EQUAL 0)
  message(FATAL_ERROR "Release package: could not write ${OUTPUT}")
endif()
message(STATUS "Release package: ${OUTPUT}")

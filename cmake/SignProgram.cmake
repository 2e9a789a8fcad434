# tarnwick_sign_program(<program> <private folder> <error variable>): signs the program in place
# with Debian's osslsigncode when TARNWICK_SIGN_PFX names a certificate; otherwise leaves it as
# built and says that the release is unsigned. A failure is handed back in the error variable
# (empty on success), so that the caller can clear its staging folder before it stops. The password goes to osslsigncode in a file inside the private
# folder (removed at once), never on a command line that every user of the machine can list.
function(tarnwick_sign_program program private_folder error_variable)
  set(${error_variable} "" PARENT_SCOPE)
  set(pfx "$ENV{TARNWICK_SIGN_PFX}")
  if(pfx STREQUAL "")
    message(STATUS "Release package: tarnwick.exe is not signed (TARNWICK_SIGN_PFX is not set)")
    return()
  endif()
  if(NOT EXISTS "${pfx}")
    set(${error_variable} "the certificate '${pfx}' in TARNWICK_SIGN_PFX is missing" PARENT_SCOPE)
    return()
  endif()
  find_program(OSSLSIGNCODE osslsigncode)
  if(NOT OSSLSIGNCODE)
    set(${error_variable} "osslsigncode is needed to sign tarnwick.exe" PARENT_SCOPE)
    return()
  endif()

  # The staging folder is made with the default permissions: closed to other users before the
  # password goes into it, so that nobody else can open the file in the moment it exists.
  file(CHMOD "${private_folder}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  set(password_file "${private_folder}/.sign-password")
  file(WRITE "${password_file}" "$ENV{TARNWICK_SIGN_PASSWORD}")
  set(timestamp)
  if(NOT "$ENV{TARNWICK_SIGN_TIMESTAMP}" STREQUAL "")
    set(timestamp -ts "$ENV{TARNWICK_SIGN_TIMESTAMP}")
  endif()
  execute_process(
    COMMAND "${OSSLSIGNCODE}" sign -pkcs12 "${pfx}" -readpass "${password_file}" -h sha256
            -n "Tarnwick" ${timestamp} -in "${program}" -out "${program}.signed"
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
  file(REMOVE "${password_file}")
  if(NOT result EQUAL 0)
    file(REMOVE "${program}.signed")
    set(${error_variable} "signing tarnwick.exe failed:\n${output}" PARENT_SCOPE)
    return()
  endif()
  file(RENAME "${program}.signed" "${program}")
  message(STATUS "Release package: tarnwick.exe signed with ${pfx}")
endfunction()

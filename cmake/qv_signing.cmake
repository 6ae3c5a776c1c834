# Authenticode signatures of the shipped programs (osslsigncode). The
# carried programs are signed right after they are linked, before the
# cabinets take them; the installer after it is linked.
#
# Without a vendor certificate the build makes a throwaway one once per
# build folder: a CA (signing/ca.pem, to verify against) and a code-signing
# certificate issued by it. A vendor passes QV_SIGN_PKCS12 and
# QV_SIGN_PASSWORD_FILE, and QV_SIGN_TIMESTAMP_URL for a time stamp that
# keeps the signature valid after the certificate expires.

option(QV_SIGN "Sign the shipped programs with Authenticode" ON)
set(QV_SIGN_PKCS12 "" CACHE FILEPATH
    "PKCS#12 file with the code-signing key and certificate chain; empty: a throwaway certificate")
set(QV_SIGN_PASSWORD_FILE "" CACHE FILEPATH "File whose first line is the PKCS#12 password")
set(QV_SIGN_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamp server; empty: no time stamp")

set(QV_SIGNING_DIR ${CMAKE_BINARY_DIR}/signing)
# The certificate published next to the installer for checking its
# signature: the throwaway CA, or the certificates of the vendor's file.
set(QV_SIGNING_CERTIFICATE "")

if(QV_SIGN)
  find_program(QV_OSSLSIGNCODE osslsigncode REQUIRED)
  find_program(QV_OPENSSL openssl REQUIRED)
  file(MAKE_DIRECTORY ${QV_SIGNING_DIR})
  if(QV_SIGN_PKCS12)
    if(NOT EXISTS "${QV_SIGN_PKCS12}" OR NOT EXISTS "${QV_SIGN_PASSWORD_FILE}")
      message(FATAL_ERROR "QV_SIGN_PKCS12 and QV_SIGN_PASSWORD_FILE must both name existing files")
    endif()
    set(sign_pkcs12 ${QV_SIGN_PKCS12})
    set(sign_password_file ${QV_SIGN_PASSWORD_FILE})
    set(QV_SIGNING_CERTIFICATE ${QV_SIGNING_DIR}/certificate.pem)
    execute_process(COMMAND ${QV_OPENSSL} pkcs12 -in ${sign_pkcs12} -nokeys
                            -passin file:${sign_password_file} -out ${QV_SIGNING_CERTIFICATE}
                    RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "Cannot read the certificates of ${sign_pkcs12}")
    endif()
  else()
    set(sign_pkcs12 ${QV_SIGNING_DIR}/signer.p12)
    set(sign_password_file ${QV_SIGNING_DIR}/signer.password)
    set(QV_SIGNING_CERTIFICATE ${QV_SIGNING_DIR}/ca.pem)
    # Made once: a new CA on every configure would leave earlier programs
    # unverifiable against the published ca.pem.
    if(NOT EXISTS ${QV_SIGNING_CERTIFICATE} OR NOT EXISTS ${sign_pkcs12})
      execute_process(COMMAND sh ${CMAKE_SOURCE_DIR}/tools/make_signing_certificate.sh
                              ${QV_OPENSSL} ${QV_SIGNING_DIR} "${QV_COMPANY_NAME}"
                      RESULT_VARIABLE status)
      if(NOT status EQUAL 0)
        message(FATAL_ERROR "Cannot make the throwaway signing certificate in ${QV_SIGNING_DIR}")
      endif()
    endif()
  endif()
  set(QV_SIGN_COMMAND sh ${CMAKE_SOURCE_DIR}/tools/sign_program.sh ${QV_OSSLSIGNCODE}
                      ${sign_pkcs12} ${sign_password_file} "timestamp=${QV_SIGN_TIMESTAMP_URL}"
                      "${QV_PRODUCT_NAME}")
endif()

# qv_sign_program(target): signs the target's file in place once it is linked.
function(qv_sign_program target)
  if(QV_SIGN)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${QV_SIGN_COMMAND} $<TARGET_FILE:${target}>
      VERBATIM)
  endif()
endfunction()

# qv_checksums(target): SHA256SUMS next to the target's file, listing it and
# the published certificate, for `sha256sum -c SHA256SUMS` in that folder.
function(qv_checksums target)
  set(listed $<TARGET_FILE_NAME:${target}>)
  set(depends ${target})
  if(QV_SIGNING_CERTIFICATE)
    file(RELATIVE_PATH certificate ${CMAKE_BINARY_DIR} ${QV_SIGNING_CERTIFICATE})
    list(APPEND listed ${certificate})
    list(APPEND depends ${QV_SIGNING_CERTIFICATE})
  endif()
  set(sums ${CMAKE_BINARY_DIR}/SHA256SUMS)
  add_custom_command(OUTPUT ${sums}
    COMMAND ${CMAKE_COMMAND} "-DFILES=${listed}" -DOUTPUT=SHA256SUMS
            -P ${CMAKE_SOURCE_DIR}/cmake/write_checksums.cmake
    DEPENDS ${depends}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    COMMENT "SHA256SUMS"
    VERBATIM)
  add_custom_target(${target}_checksums ALL DEPENDS ${sums})
endfunction()

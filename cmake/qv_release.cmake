# What a shipped release needs besides the code: one product identity for
# the version resources and the uninstall entry, one moment for every time
# stamp the build writes, and the signing of the shipped programs.

# The product identity. The version is the project's; the uninstall entry
# shows it as DisplayVersion, the version resources as 1.0.312.0.
set(QV_PRODUCT_NAME "Dodu6 802.11 ZI1800 ZUR Ezirova")
set(QV_COMPANY_NAME "QUOR")
set(QV_DISPLAY_VERSION ${PROJECT_VERSION})
set(QV_FILE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
string(REPLACE "." "," QV_FILE_VERSION_COMMAS ${QV_FILE_VERSION})

# SOURCE_DATE_EPOCH: given by the caller, else the last commit's time, else
# the time that `git archive` wrote into source_date_epoch.txt (export-subst).
# Git is asked only when this source tree is itself the top of a checkout,
# so that an exported tree unpacked inside another checkout is not dated by
# that checkout's commits.
set(QV_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
if(NOT QV_SOURCE_DATE_EPOCH)
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --show-toplevel
                    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                    OUTPUT_VARIABLE git_top OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE git_status ERROR_QUIET)
    file(REAL_PATH "${CMAKE_SOURCE_DIR}" source_real)
    if(git_status EQUAL 0 AND git_top)
      file(REAL_PATH "${git_top}" git_top)
    endif()
    if(git_status EQUAL 0 AND git_top STREQUAL source_real)
      execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
                      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                      OUTPUT_VARIABLE QV_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
                      ERROR_QUIET)
      # A new commit or checkout moves HEAD: configure again for its time.
      execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --path-format=absolute
                              --git-path HEAD --git-path logs/HEAD
                      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                      OUTPUT_VARIABLE git_head_files OUTPUT_STRIP_TRAILING_WHITESPACE
                      ERROR_QUIET)
      string(REPLACE "\n" ";" git_head_files "${git_head_files}")
      foreach(head_file ${git_head_files})
        if(EXISTS ${head_file})
          set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${head_file})
        endif()
      endforeach()
    endif()
  endif()
endif()
if(NOT QV_SOURCE_DATE_EPOCH)
  file(READ ${CMAKE_SOURCE_DIR}/cmake/source_date_epoch.txt exported_epoch)
  string(STRIP "${exported_epoch}" exported_epoch)
  if(exported_epoch MATCHES "^[0-9]+$")
    set(QV_SOURCE_DATE_EPOCH ${exported_epoch})
  endif()
endif()
if(NOT QV_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  # 1980-01-01, the earliest time a cabinet can hold.
  message(WARNING "No commit time (no git checkout, no exported tree): time stamps are "
                  "1980-01-01. Set SOURCE_DATE_EPOCH to date the build.")
  set(QV_SOURCE_DATE_EPOCH 315532800)
endif()
message(STATUS "SOURCE_DATE_EPOCH: ${QV_SOURCE_DATE_EPOCH}")
set(ENV{SOURCE_DATE_EPOCH} ${QV_SOURCE_DATE_EPOCH})
string(TIMESTAMP QV_COPYRIGHT_YEAR "%Y" UTC)
set(QV_LEGAL_COPYRIGHT "Copyright (C) ${QV_COPYRIGHT_YEAR} ${QV_COMPANY_NAME}")

# Nothing compiled names the folders the build ran in.
target_compile_options(qv_common_options INTERFACE
  $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=>
  $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}/=>)

# The product identity for the C++ sources: registration/product_identity.h.
configure_file(${CMAKE_SOURCE_DIR}/registration/product_identity.h.in
               ${CMAKE_BINARY_DIR}/generated/registration/product_identity.h @ONLY)
target_include_directories(qv_common_options INTERFACE ${CMAKE_BINARY_DIR}/generated)

# qv_shipped_program(target description): what every shipped program has.
# - A version resource, named after the target's file.
# - The PE time stamp from SOURCE_DATE_EPOCH (ld reads it), so that nothing
#   the linker writes depends on when the build ran.
# - An Authenticode signature when signing is on (cmake/qv_signing.cmake).
function(qv_shipped_program target description)
  set(QV_FILE_DESCRIPTION "${description}")
  set(QV_ORIGINAL_FILENAME "${target}.exe")
  set(resource ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/resources/version_info.rc.in ${resource} @ONLY)
  target_sources(${target} PRIVATE ${resource})
  set_target_properties(${target} PROPERTIES CXX_LINKER_LAUNCHER
    "${CMAKE_COMMAND};-E;env;SOURCE_DATE_EPOCH=${QV_SOURCE_DATE_EPOCH}")
  qv_sign_program(${target})
endfunction()

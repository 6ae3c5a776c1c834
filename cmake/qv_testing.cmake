# Test bench: GoogleTest built with the cross compiler, a Wine prefix with a
# persistent server under Xvfb for the whole run, and helpers to add tests.

set(QV_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources (Debian's googletest)")
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${QV_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(gtest_target gtest gtest_main gmock gmock_main)
  target_compile_options(${gtest_target} PRIVATE -w)
endforeach()

set(QV_BENCH_DIR ${CMAKE_BINARY_DIR}/bench)
set(QV_BENCH_SCRIPTS ${CMAKE_SOURCE_DIR}/tests/bench)
set(QV_WINE_RUN ${QV_BENCH_SCRIPTS}/wine_run.sh ${QV_BENCH_DIR})

add_test(NAME bench_start COMMAND ${QV_BENCH_SCRIPTS}/bench_start.sh ${QV_BENCH_DIR})
add_test(NAME bench_stop COMMAND ${QV_BENCH_SCRIPTS}/bench_stop.sh ${QV_BENCH_DIR})
set_tests_properties(bench_start PROPERTIES FIXTURES_SETUP wine_bench TIMEOUT 180)
set_tests_properties(bench_stop PROPERTIES FIXTURES_CLEANUP wine_bench TIMEOUT 60)

# qv_add_unit_test(name
#   SOURCES  test sources (GoogleTest, with exceptions allowed)
#   PRODUCT  installer sources under test, compiled as in the product
#   FAKES    optional header force-included into the product sources, which
#            redirects chosen platform calls to the test's substitutes
#   LIBRARIES extra libraries)
# The test runs as one CTest test under the bench's Wine prefix.
function(qv_add_unit_test name)
  cmake_parse_arguments(T "" "FAKES;TIMEOUT" "SOURCES;PRODUCT;LIBRARIES" ${ARGN})
  add_library(${name}_product OBJECT ${T_PRODUCT})
  target_link_libraries(${name}_product PRIVATE qv_product_options)
  if(T_FAKES)
    target_compile_options(${name}_product PRIVATE -include ${T_FAKES})
  endif()
  add_executable(${name} ${T_SOURCES} $<TARGET_OBJECTS:${name}_product>)
  target_link_libraries(${name} PRIVATE qv_common_options gmock gtest_main ${T_LIBRARIES}
                                        ${QV_INSTALLER_LIBRARIES})
  target_compile_options(${name} PRIVATE -Wno-missing-field-initializers)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
  add_test(NAME ${name} COMMAND ${QV_WINE_RUN} $<TARGET_FILE:${name}>)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_bench LABELS unit
                                          TIMEOUT ${T_TIMEOUT})
endfunction()

# The shipped build: the release preset's 32-bit installer and the 32-bit
# programs it carries.
set(QV_RELEASE_DIR ${CMAKE_SOURCE_DIR}/build/release
    CACHE PATH "The shipped 32-bit build (release preset)")

# qv_add_scenario(name SCRIPT script [SHIPPED] [ARGS ...] [TIMEOUT s])
# A shell script that runs real programs under Wine and checks from outside.
# It receives the bench folder, the folder of the installer under test and
# the source folder first; QV_TEST_NAME names the test and QV_RESULTS its
# empty results folder. SHIPPED runs the release build's 32-bit installer
# under WOW64 (label "shipped"; skipped where 32-bit programs cannot run),
# otherwise the x64 twin of this build.
function(qv_add_scenario name)
  cmake_parse_arguments(T "SHIPPED" "SCRIPT;TIMEOUT" "ARGS;DEPENDS" ${ARGN})
  if(T_SHIPPED)
    set(program_dir ${QV_RELEASE_DIR})
    set(labels scenario shipped)
  else()
    set(program_dir ${CMAKE_BINARY_DIR})
    set(labels scenario)
  endif()
  add_test(NAME ${name} COMMAND ${QV_BENCH_SCRIPTS}/scenario.sh ${T_SCRIPT} ${QV_BENCH_DIR}
                                ${program_dir} ${CMAKE_SOURCE_DIR} ${T_ARGS})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_bench LABELS "${labels}"
                                          TIMEOUT ${T_TIMEOUT} SKIP_RETURN_CODE 77
                                          ENVIRONMENT "QV_TEST_NAME=${name};QV_RESULTS=${CMAKE_BINARY_DIR}/results/${name}")
endfunction()

# The shipped scenarios skip themselves, saying why, where 32-bit programs
# cannot run.
add_test(NAME bench_shipped_skip
         COMMAND ${QV_BENCH_SCRIPTS}/skip_test.sh ${CMAKE_SOURCE_DIR} ${QV_RELEASE_DIR}
                 ${CMAKE_BINARY_DIR})

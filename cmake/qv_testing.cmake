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

# qv_add_scenario(name SCRIPT script [ARGS ...] [TIMEOUT s])
# A shell script that runs real programs under Wine and checks from outside.
# It receives the bench folder, the build folder and the source folder first.
function(qv_add_scenario name)
  cmake_parse_arguments(T "" "SCRIPT;TIMEOUT" "ARGS;DEPENDS" ${ARGN})
  add_test(NAME ${name} COMMAND ${T_SCRIPT} ${QV_BENCH_DIR} ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR}
                                ${T_ARGS})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_bench LABELS scenario
                                          TIMEOUT ${T_TIMEOUT})
endfunction()

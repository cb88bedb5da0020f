# SPDX-License-Identifier: Apache-2.0
# One helper per kind of target, so each folder's CMakeLists.txt stays a few declarative lines.

# tessel_cc_library(HDRS <public headers> SRCS <sources>)
# Adds the sources to the library's objects (tessel_objects, from which both the shared library
# and the static tessel_testing are linked) and installs the headers under include/tessel/<folder>,
# keeping the source tree's include paths (#include "tessel/core/status.h") valid after install.
function(tessel_cc_library)
  cmake_parse_arguments(ARG "" "" "HDRS;SRCS" ${ARGN})
  if(ARG_SRCS)
    target_sources(tessel_objects PRIVATE ${ARG_SRCS})
  endif()
  file(RELATIVE_PATH _rel ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  if(ARG_HDRS)
    install(FILES ${ARG_HDRS} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tessel/${_rel} COMPONENT dev)
  endif()
endfunction()

# tessel_cc_test(NAME <name> SRCS <sources> [DEPS <extra libraries>])
# A GoogleTest executable linked against the library's static copy, so that it can call
# internal code the shared library hides; every test case becomes a CTest test.
function(tessel_cc_test)
  if(NOT TESSEL_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "NAME" "SRCS;DEPS" ${ARGN})
  add_executable(${ARG_NAME} ${ARG_SRCS})
  target_link_libraries(${ARG_NAME} PRIVATE tessel_testing GTest::gtest GTest::gmock GTest::gtest_main
                                            ${ARG_DEPS})
  gtest_discover_tests(${ARG_NAME} DISCOVERY_MODE PRE_TEST
                       PROPERTIES LABELS unit)
endfunction()

# tessel_cc_benchmark(NAME <name> SRCS <sources> [DEPS <extra libraries>])
# A Google Benchmark executable, linked like the tests against the static copy. CTest runs it once with a minimal time so it cannot rot;
# real measurements run the binary directly.
function(tessel_cc_benchmark)
  if(NOT TESSEL_BUILD_BENCHMARKS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "NAME" "SRCS;DEPS" ${ARGN})
  add_executable(${ARG_NAME} ${ARG_SRCS})
  target_link_libraries(${ARG_NAME} PRIVATE tessel_testing benchmark::benchmark benchmark::benchmark_main
                                            ${ARG_DEPS})
  add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME} --benchmark_min_time=0.0001)
  set_tests_properties(${ARG_NAME} PROPERTIES LABELS benchmark)
endfunction()

# tessel_skrf_crosscheck(NAME <test> SCRIPT <python script> PROGRAM <program> SRCS <sources>)
# Builds a small program on the library and adds a test that runs the script with it: the script
# compares the program's results with scikit-rf's on scikit-rf's own data. Debian's scikit-rf
# lives with the system interpreter, which may not be first on PATH. The script imports
# scripts/skrf_compat.py and exits 77, shown by CTest as skipped, where scikit-rf is missing.
function(tessel_skrf_crosscheck)
  if(NOT TESSEL_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "NAME;SCRIPT;PROGRAM" "SRCS" ${ARGN})
  add_executable(${ARG_PROGRAM} ${ARG_SRCS})
  target_link_libraries(${ARG_PROGRAM} PRIVATE tessel)
  find_program(TESSEL_SYSTEM_PYTHON3 python3 PATHS /usr/bin NO_DEFAULT_PATH)
  find_program(TESSEL_SYSTEM_PYTHON3 python3)
  if(NOT TESSEL_SYSTEM_PYTHON3)
    return()
  endif()
  add_test(NAME ${ARG_NAME}
           COMMAND ${TESSEL_SYSTEM_PYTHON3} ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_SCRIPT}
                   $<TARGET_FILE:${ARG_PROGRAM}>)
  set_tests_properties(${ARG_NAME} PROPERTIES SKIP_RETURN_CODE 77 LABELS unit
                       ENVIRONMENT PYTHONPATH=${PROJECT_SOURCE_DIR}/scripts)
endfunction()

# SPDX-License-Identifier: Apache-2.0
# Runs tessel-demo as a user would and checks what it reports.
#   cmake -DDEMO=<tessel-demo> -DOUT=<folder> -DDATA=<testdata folder> -P demo_check.cmake

function(run_demo)
  execute_process(COMMAND ${DEMO} ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err)
  set(rc "${rc}" PARENT_SCOPE)
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

# The embedded measurement: exit 0, a report, and a correction residual at float precision.
file(REMOVE_RECURSE ${OUT})
run_demo(--out ${OUT}/embedded)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "demo failed (${rc}): ${err}")
endif()
if(NOT EXISTS ${OUT}/embedded/report.html)
  message(FATAL_ERROR "no report.html written")
endif()
file(READ ${OUT}/embedded/report.html html)
string(REGEX MATCHALL "<svg " plots "${html}")
list(LENGTH plots plotCount)
if(plotCount LESS 7 OR html MATCHES "http://[^w]|https://|<script")
  message(FATAL_ERROR "report is not the self-contained set of plots (${plotCount} plots)")
endif()
if(NOT out MATCHES "Correction residual vs known truth: ([0-9.e+-]+)")
  message(FATAL_ERROR "no residual in the summary:\n${out}")
endif()
set(residual ${CMAKE_MATCH_1})
if(NOT residual LESS 1e-5)
  message(FATAL_ERROR "correction residual ${residual} is not at single-precision level")
endif()
if(NOT out MATCHES "Impedance step: at (0\\.9[5-9]|1\\.0[0-5])[0-9]* ns")
  message(FATAL_ERROR "impedance step not found near 1 ns:\n${out}")
endif()

# A Touchstone file: corrected data, no correction stage.
run_demo(--out ${OUT}/file --gate 0.1:0.5 ${DATA}/attenuator_ri.s2p)
if(NOT rc EQUAL 0 OR NOT out MATCHES "Correction: skipped" OR NOT EXISTS ${OUT}/file/report.html)
  message(FATAL_ERROR "file run failed (${rc}): ${out}${err}")
endif()

# Malformed and missing files: a message naming the line, and a non-zero exit.
run_demo(--out ${OUT}/bad ${DATA}/bad_number.s2p)
if(rc EQUAL 0 OR NOT err MATCHES "bad_number.s2p:3: expected a number")
  message(FATAL_ERROR "malformed file not reported (${rc}): ${err}")
endif()
run_demo(--out ${OUT}/bad ${DATA}/no_such_file.s1p)
if(rc EQUAL 0 OR NOT err MATCHES "cannot open")
  message(FATAL_ERROR "missing file not reported (${rc}): ${err}")
endif()
run_demo(--frobnicate)
if(rc EQUAL 0)
  message(FATAL_ERROR "unknown option accepted")
endif()
message(STATUS "demo checks passed; residual ${residual}")

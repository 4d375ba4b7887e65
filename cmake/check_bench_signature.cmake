# Runs `dalumaster-cli bench` and compares its signature with the known answer in
# tests/data/bench_signature.txt. A commit that changes play on purpose updates that file
# and quotes the new signature in its message.
# Usage: cmake -DCLI=<dalumaster-cli> -DEXPECTED=<bench_signature.txt> -P check_bench_signature.cmake
execute_process(COMMAND ${CLI} bench RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "dalumaster-cli bench failed (${rc}):\n${err}")
endif()
if(NOT out MATCHES "signature: ([0-9]+)")
  message(FATAL_ERROR "dalumaster-cli bench printed no signature:\n${out}")
endif()
set(actual ${CMAKE_MATCH_1})
file(STRINGS ${EXPECTED} expected REGEX "^[0-9]+$" LIMIT_COUNT 1)
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "bench signature ${actual}, expected ${expected}: play changed")
endif()
message(STATUS "bench signature ${actual}")

# Fails when the program's symbols name a test double. Run as
#   cmake -DNM=<nm> -DPROGRAM=<program> -P check_no_test_doubles.cmake
if(NOT NM OR NOT EXISTS "${PROGRAM}")
  message(FATAL_ERROR "usage: -DNM=<nm> -DPROGRAM=<built program>; got NM='${NM}' PROGRAM='${PROGRAM}'")
endif()
execute_process(COMMAND "${NM}" -C "${PROGRAM}"
  OUTPUT_VARIABLE symbols ERROR_VARIABLE errors RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${PROGRAM}: ${errors}")
endif()
# A stripped program would pass without proving anything.
if(NOT symbols MATCHES "Window1")
  message(FATAL_ERROR "${PROGRAM} has no symbol table to check")
endif()
string(REGEX MATCHALL "[^\n]*(FakeTicks|ScriptedRandom|ScriptedMidi|Recording)[^\n]*" doubles "${symbols}")
if(doubles)
  list(JOIN doubles "\n" listing)
  message(FATAL_ERROR "${PROGRAM} holds test doubles:\n${listing}")
endif()

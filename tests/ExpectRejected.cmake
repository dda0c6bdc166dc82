# Runs the stand-in host on a file that is not a valid scenario: it must exit
# with 2, give a one-line reason on standard error and print no transcript.
execute_process(COMMAND ${SIMHOST} ${SCENARIO}
                RESULT_VARIABLE status OUTPUT_VARIABLE transcript ERROR_VARIABLE reason)
if(NOT status EQUAL 2)
  message(FATAL_ERROR "exit status ${status}, expected 2")
endif()
if(NOT transcript STREQUAL "")
  message(FATAL_ERROR "printed a transcript: ${transcript}")
endif()
string(STRIP "${reason}" reason)
if(reason STREQUAL "" OR reason MATCHES "\n")
  message(FATAL_ERROR "the reason must be one line: '${reason}'")
endif()

# Runs a C host of the tests (HOST EXAMPLES OUT) into a fresh folder:
#   cmake -DHOST=... -DEXAMPLES=... -DOUT=... [-DEMULATOR=wine64] -P run_export_host.cmake
file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}")
execute_process(COMMAND ${EMULATOR} "${HOST}" "${EXAMPLES}" "${OUT}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${HOST} failed: ${rc}")
endif()

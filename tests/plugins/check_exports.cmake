# cmake -DNM=... -DLIBRARY=... -DEXPECTED="a;b" -P check_exports.cmake
# Fails unless the library's dynamic symbol table defines exactly EXPECTED.
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
  OUTPUT_VARIABLE table RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${table}")
set(defined)
foreach(line ${lines})
  string(REGEX REPLACE "^[0-9a-fA-F]* *[A-Za-z] " "" symbol "${line}")
  list(APPEND defined ${symbol})
endforeach()
list(SORT defined)
set(expected ${EXPECTED})
list(SORT expected)
if(NOT defined STREQUAL expected)
  message(FATAL_ERROR "${LIBRARY} exports ${defined}, expected ${expected}")
endif()

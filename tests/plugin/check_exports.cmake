# Fails unless the module's dynamic symbol table defines F_ApiClientInit and nothing else.
# Run as: cmake -DNM=<nm> -DMODULE=<path> -P check_exports.cmake
execute_process(COMMAND ${NM} -D --defined-only ${MODULE}
  OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${MODULE}")
endif()
string(REGEX REPLACE "[^\n]* [A-Za-z] ([^\n]*)" "\\1" names "${symbols}")
string(STRIP "${names}" names)
if(NOT names STREQUAL "F_ApiClientInit")
  message(FATAL_ERROR "${MODULE} exports:\n${names}\ninstead of F_ApiClientInit alone")
endif()

# Fails unless the Windows DLL's export table names F_ApiClientInit and nothing else.
# Run as: cmake -DOBJDUMP=<objdump> -DMODULE=<path> -P check_dll_exports.cmake
execute_process(COMMAND ${OBJDUMP} -p ${MODULE} OUTPUT_VARIABLE headers RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} failed on ${MODULE}")
endif()

# The export name table: "[Ordinal/Name Pointer] Table" followed by lines "\t[   0] Name".
string(FIND "${headers}" "[Ordinal/Name Pointer] Table" start)
if(start EQUAL -1)
  message(FATAL_ERROR "${MODULE} has no export name table")
endif()
string(SUBSTRING "${headers}" ${start} -1 table)
string(REGEX MATCHALL "\n[ \t]+\\[ *[0-9]+\\] [^\n]+" rows "${table}")
set(names)
foreach(row IN LISTS rows)
  string(REGEX REPLACE "^\n[ \t]+\\[ *[0-9]+\\] " "" name "${row}")
  list(APPEND names "${name}")
endforeach()
if(NOT names STREQUAL "F_ApiClientInit")
  message(FATAL_ERROR "${MODULE} exports:\n${names}\ninstead of F_ApiClientInit alone")
endif()

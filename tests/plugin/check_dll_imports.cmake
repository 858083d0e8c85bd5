# Fails unless the Windows DLL imports only from Windows' own DLLs and from the host's ICU modules
# (the C++ run-time is linked in): in the host's process no other ICU is there to load. The host's
# ICU is bound at the first call (a delay import, which GNU ld leaves out of the header's tables),
# so the module names it among its own strings: each host module must be named there, and no other
# ICU module anywhere.
# Run as: cmake -DOBJDUMP=<objdump> -DMODULE=<path> "-DHOST_ICU=icuuc73.dll;icuin73.dll"
#               -P check_dll_imports.cmake
cmake_policy(SET CMP0057 NEW)  # if(IN_LIST)
execute_process(COMMAND ${OBJDUMP} -p ${MODULE} OUTPUT_VARIABLE headers RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} failed on ${MODULE}")
endif()
string(TOLOWER "${HOST_ICU}" host_icu)

# "DLL Name: X" for each DLL the loader must find, in the import and delay-import tables alike.
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
if(NOT imports)
  message(FATAL_ERROR "${MODULE} has no import table")
endif()
set(other_icu)
set(foreign)
foreach(import IN LISTS imports)
  string(REGEX REPLACE "^DLL Name: " "" dll "${import}")
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" lower)
  if(lower IN_LIST host_icu)
    continue()
  elseif(lower MATCHES "^icu")
    list(APPEND other_icu "${dll}")
  elseif(NOT lower MATCHES "^(kernel32|user32|ole32|oleaut32|version|advapi32|msvcrt|ws2_32|shell32)\\.dll$"
         AND NOT lower MATCHES "^api-ms-win-")
    list(APPEND foreign "${dll}")
  endif()
endforeach()
if(foreign)
  message(FATAL_ERROR "${MODULE} needs DLLs that are neither Windows' nor the host's ICU: ${foreign}")
endif()

# The late-bound modules, by the names the module holds for its first calls.
file(STRINGS ${MODULE} named REGEX "[iI][cC][uU][a-zA-Z]*[0-9]+\\.[dD][lL][lL]")
set(named_icu)
foreach(text IN LISTS named)
  string(REGEX MATCHALL "[iI][cC][uU][a-zA-Z]*[0-9]+\\.[dD][lL][lL]" dlls "${text}")
  foreach(dll IN LISTS dlls)
    string(TOLOWER "${dll}" lower)
    list(APPEND named_icu ${lower})
  endforeach()
endforeach()
list(REMOVE_DUPLICATES named_icu)
set(missing)
foreach(dll IN LISTS host_icu)
  if(NOT dll IN_LIST named_icu)
    list(APPEND missing ${dll})
  endif()
endforeach()
list(REMOVE_ITEM named_icu ${host_icu})
list(APPEND other_icu ${named_icu})
list(REMOVE_DUPLICATES other_icu)
if(other_icu)
  message(FATAL_ERROR "${MODULE} imports ICU modules other than the host's (${HOST_ICU}): ${other_icu}")
endif()
if(missing)
  message(FATAL_ERROR "${MODULE} does not bind the host's ICU modules: ${missing}")
endif()

# Fails unless the Windows DLL imports only from Windows' own DLLs and from the host's ICU modules
# (the C++ run-time is linked in): in the host's process no other ICU is there to load.
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
if(other_icu)
  message(FATAL_ERROR "${MODULE} imports ICU modules other than the host's (${HOST_ICU}): ${other_icu}")
endif()
if(foreign)
  message(FATAL_ERROR "${MODULE} needs DLLs that are neither Windows' nor the host's ICU: ${foreign}")
endif()

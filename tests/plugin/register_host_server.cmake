# Registers the simulator's local server in the Wine prefix the tests run in: the proxy/stub DLL
# of the host's interfaces (its DllRegisterServer, through regsvr32) and tansel-host-server.exe as
# the LocalServer32 of the host's class.
#   -DEMULATOR=wine -DPROXY_DLL=... -DSERVER=...
#
# Each command takes well under a second. The first one in a freshly started Wine can hang instead
# (while other Wine processes start beside it, it may wait for ever on the prefix's services), so a
# command that has not finished in 30 seconds is ended and tried again, up to three times.
foreach(command
    "regsvr32;/s;Z:${PROXY_DLL}"
    "reg;add;HKCR\\CLSID\\{539DB5D0-C0C6-11D0-985E-0060970BEC0B}\\LocalServer32;/ve;/d;Z:${SERVER};/f")
  foreach(attempt 1 2 3)
    execute_process(COMMAND ${EMULATOR} ${command} RESULT_VARIABLE status
                    OUTPUT_VARIABLE output ERROR_VARIABLE output TIMEOUT 30)
    if(status EQUAL 0)
      break()
    endif()
    message(STATUS "${command}: attempt ${attempt} failed (${status})")
  endforeach()
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${command} failed (${status}): ${output}")
  endif()
endforeach()
message(STATUS "registered ${SERVER} and the proxies of ${PROXY_DLL}")

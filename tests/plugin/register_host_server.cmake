# Registers the simulator's local server in the Wine prefix the tests run in: the proxy/stub DLL
# of the host's interfaces (its DllRegisterServer, through regsvr32) and tansel-host-server.exe as
# the LocalServer32 of the host's class.
#   -DEMULATOR=wine -DPROXY_DLL=... -DSERVER=...
foreach(command
    "regsvr32;/s;Z:${PROXY_DLL}"
    "reg;add;HKCR\\CLSID\\{539DB5D0-C0C6-11D0-985E-0060970BEC0B}\\LocalServer32;/ve;/d;Z:${SERVER};/f")
  execute_process(COMMAND ${EMULATOR} ${command} RESULT_VARIABLE status
                  OUTPUT_VARIABLE output ERROR_VARIABLE output TIMEOUT 120)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${command} failed (${status}): ${output}")
  endif()
endforeach()
message(STATUS "registered ${SERVER} and the proxies of ${PROXY_DLL}")

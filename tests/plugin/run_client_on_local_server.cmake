# Runs the client program against the simulator's local server, which COM starts for it, and
# checks what each printed and how the client ended. Every wait is bounded.
#   -DEMULATOR=wine -DCLIENT=tansel-client.exe -DHOST_OUTPUT=file the server prints to
#   -DENVIRONMENT=NAME=VALUE&...  the client's environment (COM hands it to the server it starts)
#   -DCLIENT_STATUS=n -DCLIENT_EXPECT=regex&... (in its output or errors) -DHOST_EXPECT=regex&...
#   -DHOST_END=regex  the server's last line: waited for before HOST_EXPECT is checked
foreach(list ENVIRONMENT CLIENT_EXPECT HOST_EXPECT)
  string(REPLACE "&" ";" ${list} "${${list}}")
endforeach()
file(REMOVE ${HOST_OUTPUT})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env ${ENVIRONMENT} TANSEL_SIM_OUTPUT=Z:${HOST_OUTPUT} ${EMULATOR}
          ${CLIENT}
  RESULT_VARIABLE status OUTPUT_VARIABLE client ERROR_VARIABLE client_errors TIMEOUT 90)
string(REPLACE "\r" "" client "${client}")
message(STATUS "client (${status}):\n${client}")
set(host "")
foreach(attempt RANGE 150)
  if(EXISTS ${HOST_OUTPUT})
    file(READ ${HOST_OUTPUT} host)
    if(host MATCHES "${HOST_END}")
      break()
    endif()
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 0.2)
endforeach()
message(STATUS "host:\n${host}")
if(NOT "${status}" STREQUAL "${CLIENT_STATUS}")
  message(FATAL_ERROR "the client ended with ${status}, not ${CLIENT_STATUS}: ${client_errors}")
endif()
string(REPLACE "\r" "" client_errors "${client_errors}")
foreach(expected IN LISTS CLIENT_EXPECT)
  if(NOT "${client}${client_errors}" MATCHES "${expected}")
    message(FATAL_ERROR "the client did not print ${expected}")
  endif()
endforeach()
if(NOT host MATCHES "${HOST_END}")
  message(FATAL_ERROR "the host did not end with ${HOST_END}")
endif()
foreach(expected IN LISTS HOST_EXPECT)
  if(NOT host MATCHES "${expected}")
    message(FATAL_ERROR "the host did not print ${expected}")
  endif()
endforeach()

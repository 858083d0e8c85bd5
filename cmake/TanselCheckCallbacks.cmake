# Run after a plug-in module is linked (cmake -P): refuses a client callback defined with other
# parameters than its declaration. Such a definition is a C++ overload that the host never reaches
# (the library's empty default runs instead); it shows in the module's symbol table as a C++ name
# with a parameter list, where the right definition has the plain C name.
#   -DNM=...           the toolchain's nm
#   -DMODULE=...       the linked module
#   -DDECLARATIONS=... bridge/client_callbacks.h, whose declarations the message quotes
#   -DTARGET=...       the target's name, for the message
foreach(var NM MODULE DECLARATIONS TARGET)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "TanselCheckCallbacks: ${var} is not set")
  endif()
endforeach()

# Every declaration "void ClientName(...)" of the header (its ';' left out: a list separator here).
file(READ ${DECLARATIONS} header)
string(REGEX MATCHALL "void Client[A-Za-z]+\\([^;]*\\)" declarations "${header}")
if(NOT declarations)
  message(FATAL_ERROR "TanselCheckCallbacks: no callback declarations in ${DECLARATIONS}")
endif()

execute_process(COMMAND ${NM} -C --defined-only ${MODULE}
  OUTPUT_VARIABLE symbols ERROR_VARIABLE nm_error RESULT_VARIABLE nm_result)
if(NOT nm_result EQUAL 0)
  message(FATAL_ERROR "TanselCheckCallbacks: ${NM} could not read ${MODULE}: ${nm_error}")
endif()

set(problems "")
foreach(declaration IN LISTS declarations)
  string(REGEX REPLACE "[ \t\r\n]+" " " declaration "${declaration}")
  string(REGEX MATCH "Client[A-Za-z]+" name "${declaration}")
  # Lines "ADDRESS TYPE NAME(parameters)": a C++ function of the callback's name.
  string(REGEX MATCHALL "\n[0-9a-fA-F]* *[A-Za-z] ${name}\\([^\n]*\\)" stray "\n${symbols}")
  foreach(line IN LISTS stray)
    string(REGEX REPLACE "^\n[0-9a-fA-F]* *[A-Za-z] " "" defined "${line}")
    string(APPEND problems "\n  ${defined} is defined, but the host calls\n"
                           "    ${declaration};\n")
  endforeach()
endforeach()

if(problems)
  file(REMOVE ${MODULE})
  message(FATAL_ERROR "${TARGET}: a client callback is defined with other parameters than the host "
                      "calls it with, so it would never run:${problems}"
                      "Define it exactly as declared in bridge/client_callbacks.h.")
endif()

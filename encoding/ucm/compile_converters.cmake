# Compiles every generated .ucm with makeconv into DATA_DIR/<ICU data package>/ and touches STAMP.
# EMULATOR (optional) runs the generator when it is built for another system.
execute_process(COMMAND ${EMULATOR} ${GENERATOR} --package OUTPUT_VARIABLE package
                OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR package STREQUAL "")
  message(FATAL_ERROR "cannot learn ICU's data package name from ${GENERATOR}")
endif()
file(MAKE_DIRECTORY ${DATA_DIR}/${package})
file(GLOB tables ${UCM_DIR}/*.ucm)
foreach(table ${tables})
  execute_process(COMMAND ${MAKECONV} -d ${DATA_DIR}/${package} ${table} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "makeconv failed on ${table}")
  endif()
endforeach()
file(TOUCH ${STAMP})

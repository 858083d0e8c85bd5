# The host's own ICU, for Windows builds. The host's installation carries ICU's common and i18n
# libraries as icuuc<N>.dll and icuin<N>.dll, every C entry point carrying the suffix _<N>, and a
# plug-in lives in the host's process: it must import from those modules under those names, never
# from the ICU it was built against. So the library is compiled with ICU's entry points renamed to
# the host's suffix, and links import libraries generated here for the host's module names. ICU's
# C API is stable across these versions, so the headers of the ICU found (ICU_ROOT) serve.
#
# Sets up, from the ICU that find_package(ICU) finds:
#   tansel_host_icu        interface target: the include directory, the renaming, the import
#                          libraries libicuuc<N>.dll.a and libicuin<N>.dll.a
#   TANSEL_HOST_ICU_IMPORT_LIBRARIES  those import libraries
#   TANSEL_HOST_ICU_MODULES  the host's module names (icuuc<N>.dll;icuin<N>.dll)
#   TANSEL_LATE_LIBRARY_DESCRIPTORS  the import libraries' delay-import descriptors
#   TANSEL_HOST_ICU_DIR    with tansel_host_icu_forwarders(): a folder holding the host-named
#                          modules as forwarders to the ICU found, and that ICU's own DLLs
include_guard(GLOBAL)

set(TANSEL_HOST_ICU_VERSION 73 CACHE STRING "Major version of the ICU in the host's installation")
find_package(ICU REQUIRED COMPONENTS uc i18n data)
string(REGEX MATCH "^[0-9]+" _tansel_icu_major "${ICU_VERSION}")

set(_tansel_host_icu_out ${CMAKE_BINARY_DIR}/host_icu_import)
file(MAKE_DIRECTORY ${_tansel_host_icu_out})
string(REGEX REPLACE "nm$" "dlltool" _tansel_dlltool "${CMAKE_NM}")
find_program(TANSEL_DLLTOOL NAMES ${_tansel_dlltool} REQUIRED)

set(_tansel_host_icu_modules)
set(_tansel_host_icu_descriptors)
set(_tansel_host_icu_libraries)
# Per library: the host's module stem, ICU's import library for it and its own module stem.
foreach(row "icuuc|${ICU_UC_LIBRARY}" "icuin|${ICU_I18N_LIBRARY}")
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 stem)
  list(GET row 1 library)
  set(host_module ${stem}${TANSEL_HOST_ICU_VERSION})
  # The C entry points the found ICU exports (its import library defines __imp_<name> for each).
  execute_process(COMMAND ${CMAKE_NM} -g --defined-only ${library}
                  OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${CMAKE_NM} cannot read ICU's import library ${library}")
  endif()
  string(REGEX MATCHALL "__imp_[A-Za-z0-9_]+_${_tansel_icu_major}\n" entries "${symbols}")
  if(NOT entries)
    message(FATAL_ERROR "${library} exports no C entry point with the suffix _${_tansel_icu_major}")
  endif()
  # Its own module name, as the import library records it (e.g. icuuc72.dll).
  execute_process(COMMAND ${TANSEL_DLLTOOL} --identify ${library}
                  OUTPUT_VARIABLE own_module OUTPUT_STRIP_TRAILING_WHITESPACE)
  string(REGEX REPLACE "\\.[dD][lL][lL]$" "" own_stem "${own_module}")
  set(imports "LIBRARY \"${host_module}.dll\"\nEXPORTS\n")
  set(forwards "LIBRARY \"${host_module}.dll\"\nEXPORTS\n")
  foreach(entry IN LISTS entries)
    string(REGEX REPLACE "^__imp_(.*)_${_tansel_icu_major}\n$" "\\1" name "${entry}")
    string(APPEND imports "  ${name}_${TANSEL_HOST_ICU_VERSION}\n")
    string(APPEND forwards "  ${name}_${TANSEL_HOST_ICU_VERSION} = ${own_stem}.${name}_${_tansel_icu_major}\n")
  endforeach()
  file(WRITE ${_tansel_host_icu_out}/${host_module}.def "${imports}")
  file(WRITE ${_tansel_host_icu_out}/${host_module}_forward.def "${forwards}")
  # A delay-import library: the module is bound at the first call into it, so that a plug-in
  # loads without it and says at start-up what is missing (platform/late_libraries.h). dlltool
  # names the library's import descriptor after the file name it is given, hence the bare name.
  set(import_library ${_tansel_host_icu_out}/lib${host_module}.dll.a)
  execute_process(
    COMMAND ${TANSEL_DLLTOOL} -d ${host_module}.def -y lib${host_module}.dll.a
    WORKING_DIRECTORY ${_tansel_host_icu_out}
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${TANSEL_DLLTOOL} failed to make ${import_library}")
  endif()
  string(MAKE_C_IDENTIFIER "lib${host_module}.dll.a" descriptor)
  list(APPEND _tansel_host_icu_descriptors __DELAY_IMPORT_DESCRIPTOR_${descriptor})
  list(APPEND _tansel_host_icu_modules ${host_module}.dll)
  list(APPEND _tansel_host_icu_libraries ${import_library})
  set(_tansel_own_module_${stem} ${own_module})
endforeach()
# Seen by every folder (the tests, the install rules), wherever this file is included.
set(TANSEL_HOST_ICU_MODULES ${_tansel_host_icu_modules} CACHE INTERNAL "The host's ICU modules")
set(TANSEL_HOST_ICU_IMPORT_LIBRARIES ${_tansel_host_icu_libraries} CACHE INTERNAL
    "Import libraries for the host's ICU modules")

add_library(tansel_host_icu INTERFACE)
target_include_directories(tansel_host_icu SYSTEM INTERFACE
  $<BUILD_INTERFACE:${ICU_INCLUDE_DIRS}>)
# ICU's headers glue a library suffix, when one is given, to every entry point in place of their
# own version: that suffix is the host's.
target_compile_definitions(tansel_host_icu INTERFACE
  U_DISABLE_VERSION_SUFFIX=1 U_LIB_SUFFIX_C_NAME=_${TANSEL_HOST_ICU_VERSION})
target_link_libraries(tansel_host_icu INTERFACE $<BUILD_INTERFACE:${_tansel_host_icu_libraries}>
                      delayimp)
set(TANSEL_LATE_LIBRARY_DESCRIPTORS ${_tansel_host_icu_descriptors} CACHE INTERNAL
    "Import descriptors of the modules bound at their first call")
# Installed beside the library (the package's headers include none of ICU's).
include(GNUInstallDirs)
set_target_properties(tansel_host_icu PROPERTIES EXPORT_NAME host_icu)
foreach(library IN LISTS _tansel_host_icu_libraries)
  get_filename_component(file ${library} NAME)
  target_link_libraries(tansel_host_icu INTERFACE
    $<INSTALL_INTERFACE:$<INSTALL_PREFIX>/${CMAKE_INSTALL_LIBDIR}/${file}>)
endforeach()

# tansel_host_icu_forwarders(): builds the host-named modules as forwarders to the found ICU, in
# TANSEL_HOST_ICU_DIR beside copies of that ICU's DLLs: a stand-in for the host's installation.
function(tansel_host_icu_forwarders)
  set(dir ${CMAKE_BINARY_DIR}/host_icu)
  set(TANSEL_HOST_ICU_DIR ${dir} CACHE INTERNAL "The stand-in for the host's ICU modules")
  get_filename_component(root ${ICU_INCLUDE_DIR} DIRECTORY)
  file(GLOB dlls ${root}/bin/icuuc*.dll ${root}/bin/icuin*.dll ${root}/bin/icudt*.dll)
  if(dlls)
    file(COPY ${dlls} DESTINATION ${dir})
  endif()
  set(empty ${_tansel_host_icu_out}/forwarder.c)
  file(WRITE ${empty} "/* A module of forwarded exports only. */\n")
  foreach(module IN LISTS TANSEL_HOST_ICU_MODULES)
    string(REGEX REPLACE "\\.dll$" "" host_module ${module})
    add_library(${host_module}_forwarder SHARED ${empty}
                ${_tansel_host_icu_out}/${host_module}_forward.def)
    set_target_properties(${host_module}_forwarder PROPERTIES
      OUTPUT_NAME ${host_module} PREFIX ""
      RUNTIME_OUTPUT_DIRECTORY ${dir}
      ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/forwarder_import)
  endforeach()
endfunction()

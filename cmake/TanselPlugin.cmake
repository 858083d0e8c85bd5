# The functions that build a plug-in module and its resources. Included by the source tree and by
# the installed package (TanselConfig.cmake), which set:
#   TANSEL_PLUGIN_LIBRARY   the library target plug-ins link (tansel or Tansel::tansel)
#   TANSEL_RC_COMMAND       the resource compiler target (tansel_rc or Tansel::rc)
#   TANSEL_EXPORTS_MAP      the version script that leaves F_ApiClientInit the module's only export
#                           (on Windows, the module-definition file that names it)
#   TANSEL_CALLBACKS_HEADER bridge/client_callbacks.h, the callbacks' declarations
include_guard(GLOBAL)

# tansel_add_resources(target script): compiles the resource script (relative to the calling
# folder) into the target, so that FindResourceA and GetFileVersionInfoA find its resources. One
# script per module.
function(tansel_add_resources target script)
  get_filename_component(script_path ${script} ABSOLUTE)
  if(WIN32)
    # Windows' own resource compiler (windres). Scripts include no header, so VS_VERSION_INFO gets
    # the value Windows' headers give it (else windres would name the block by the word).
    set_property(SOURCE ${script_path} APPEND PROPERTY COMPILE_DEFINITIONS VS_VERSION_INFO=1)
    target_sources(${target} PRIVATE ${script_path})
    return()
  endif()
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.cpp)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${TANSEL_RC_COMMAND} ${script_path} ${output} ${output}.d
    DEPENDS ${TANSEL_RC_COMMAND} ${script_path}
    DEPFILE ${output}.d
    COMMENT "Compiling the resources of ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${output})
endfunction()

# A client callback defined with the wrong parameters is a new C++ overload that never runs. Once
# the module is linked, its symbol table shows such a definition; the check refuses the module and
# quotes the declaration the host calls (TanselCheckCallbacks.cmake). Global functions without a
# previous declaration are still warned about: in an anonymous namespace, a helper cannot collide.
set(_TANSEL_CHECK_CALLBACKS ${CMAKE_CURRENT_LIST_DIR}/TanselCheckCallbacks.cmake)
function(_tansel_refuse_stray_callbacks target)
  target_compile_options(${target} PRIVATE
    $<$<COMPILE_LANG_AND_ID:CXX,GNU>:-Wmissing-declarations>
    $<$<COMPILE_LANG_AND_ID:CXX,Clang,AppleClang>:-Wmissing-prototypes>)
  if(CMAKE_NM AND TANSEL_CALLBACKS_HEADER)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DMODULE=$<TARGET_FILE:${target}>
              -DDECLARATIONS=${TANSEL_CALLBACKS_HEADER} -DTARGET=${target}
              -P ${_TANSEL_CHECK_CALLBACKS}
      VERBATIM)
  endif()
endfunction()

# Release builds of a Windows DLL ship without debug sections; the debug information stays beside
# it as NAME.dll.debug, which the DLL names (.gnu_debuglink) so that debuggers find it.
function(_tansel_split_debug_info target)
  if(NOT CMAKE_OBJCOPY OR NOT CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
    return()
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-debug --add-gnu-debuglink=$<TARGET_FILE:${target}>.debug
            $<TARGET_FILE:${target}>
    VERBATIM)
endfunction()

# tansel_add_plugin(NAME SOURCES source... [RESOURCES script] [EXCLUDE_FROM_ALL] [SANITIZE]): a
# plug-in module the host loads. It links the library, hides every symbol but F_ApiClientInit
# (kept from the library's archive and exported by the version script), refuses undefined symbols
# at link time, and compiles the version resource the library reads to describe the client to the
# host. SANITIZE builds the module's own code with AddressSanitizer (LeakSanitizer included) and
# UndefinedBehaviorSanitizer, for tansel-hostsim, which runs such a module in tansel-hostsim-asan:
# a read of freed memory, an overflow, a leak or undefined behaviour fails the check it happens in.
# Not for the module the host gets: the sanitizers' run-times are not in the host's process.
function(tansel_add_plugin name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "EXCLUDE_FROM_ALL;SANITIZE" "RESOURCES" "SOURCES")
  if(NOT arg_SOURCES)
    message(FATAL_ERROR "tansel_add_plugin(${name}): SOURCES is required")
  endif()
  if(arg_SANITIZE AND WIN32)
    message(FATAL_ERROR "tansel_add_plugin(${name}): SANITIZE is not available for Windows: "
      "mingw-w64 has no AddressSanitizer. Build the plug-in for Linux with SANITIZE and run it in "
      "tansel-hostsim there; leave SANITIZE out of the Windows build.")
  endif()
  if(arg_SANITIZE AND NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    message(FATAL_ERROR "tansel_add_plugin(${name}): SANITIZE needs GCC or Clang "
      "(${CMAKE_CXX_COMPILER_ID} has no AddressSanitizer here)")
  endif()
  set(exclude)
  if(arg_EXCLUDE_FROM_ALL)
    set(exclude EXCLUDE_FROM_ALL)
  endif()
  add_library(${name} MODULE ${exclude} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${TANSEL_PLUGIN_LIBRARY})
  set_target_properties(${name} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LINK_DEPENDS ${TANSEL_EXPORTS_MAP})
  if(WIN32)
    # NAME.dll, whose module-definition file names its one export.
    target_sources(${name} PRIVATE ${TANSEL_EXPORTS_MAP})
    set_target_properties(${name} PROPERTIES PREFIX "")
    target_link_options(${name} PRIVATE -Wl,--undefined=F_ApiClientInit -Wl,--no-undefined)
    _tansel_split_debug_info(${name})
  else()
    target_link_options(${name} PRIVATE
      -Wl,--undefined=F_ApiClientInit
      -Wl,--version-script=${TANSEL_EXPORTS_MAP}
      -Wl,--no-undefined)
  endif()
  if(arg_SANITIZE)
    # The shared run-times, which the simulator built with them provides (Clang links modules to
    # them only when asked).
    set(sanitize -fsanitize=address,undefined -fno-sanitize-recover=all)
    target_compile_options(${name} PRIVATE ${sanitize} -fno-omit-frame-pointer)
    target_link_options(${name} PRIVATE ${sanitize} $<$<CXX_COMPILER_ID:Clang>:-shared-libsan>)
  endif()
  _tansel_refuse_stray_callbacks(${name})
  if(arg_RESOURCES)
    tansel_add_resources(${name} ${arg_RESOURCES})
  else()
    message(WARNING "tansel_add_plugin(${name}): no RESOURCES; the host sees a client without a name")
  endif()
endfunction()

# tansel_add_client(NAME SOURCES source... [RESOURCES script]): the same callbacks as a program of
# its own that connects to a running host (its main calls HostRunClient).
function(tansel_add_client name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "RESOURCES" "SOURCES")
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${TANSEL_PLUGIN_LIBRARY})
  _tansel_refuse_stray_callbacks(${name})
  if(arg_RESOURCES)
    tansel_add_resources(${name} ${arg_RESOURCES})
  endif()
endfunction()

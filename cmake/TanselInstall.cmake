# What `cmake --install` puts in a prefix for plug-in authors: the headers, the library and the
# platform library, the resource compiler, the simulator with the host's converters and the Tansel
# plug-in as a reference, and the package that find_package(Tansel) reads.
include(CMakePackageConfigHelpers)

set(TANSEL_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Tansel)
set(TANSEL_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/tansel)
set(TANSEL_INSTALL_MODULEDIR ${CMAKE_INSTALL_LIBDIR}/tansel)

# The umbrella header and every header of the library's own folders (TANSEL_LIBRARY_FOLDERS), with
# their paths; nothing else of the source tree (the simulator, tests, examples, a plug-in folder an
# author keeps beside them, a build tree).
install(FILES ${PROJECT_SOURCE_DIR}/tansel.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tansel)
foreach(folder IN LISTS TANSEL_LIBRARY_FOLDERS)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${folder} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tansel
    FILES_MATCHING PATTERN "*.h" PATTERN "*.inc")
endforeach()

set_target_properties(tansel-hostsim PROPERTIES EXPORT_NAME hostsim)
if(WIN32)
  # Windows: windres compiles resources, NetLib and COM are the system's and the host's, ICU is the
  # host's own modules (the package carries the import libraries made for their names).
  install(TARGETS tansel tansel_platform tansel_host_icu tansel-hostsim EXPORT TanselTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${TANSEL_HOST_ICU_IMPORT_LIBRARIES} DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(TARGETS tansel_plugin LIBRARY DESTINATION ${TANSEL_INSTALL_MODULEDIR})
  install(FILES $<TARGET_FILE:tansel_plugin>.debug DESTINATION ${TANSEL_INSTALL_MODULEDIR}
    OPTIONAL)
  # The simulator as the host's local server for client programs, and the proxy/stub DLL its
  # interfaces cross through. Neither registers itself on install: `regsvr32` takes the DLL, and
  # the server becomes the LocalServer32 of the host's class (README, "The Windows build").
  install(TARGETS tansel-host-server RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES $<TARGET_FILE:tansel_host_ps> DESTINATION ${CMAKE_INSTALL_BINDIR})
  set(_tansel_exports_file ${PROJECT_SOURCE_DIR}/cmake/plugin_exports.def)
else()
  set_target_properties(tansel-hostsim PROPERTIES
    INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
  set_target_properties(tansel_host_server tansel_plugin PROPERTIES
    INSTALL_RPATH "$ORIGIN/..")
  install(TARGETS tansel tansel_platform tansel_rc tansel-hostsim EXPORT TanselTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # The simulator with the sanitizers' run-times, which tansel-hostsim runs modules built with
  # tansel_add_plugin's SANITIZE in: beside it, where it looks.
  if(TARGET tansel-hostsim-asan)
    set_target_properties(tansel-hostsim-asan PROPERTIES
      INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
    install(TARGETS tansel-hostsim-asan RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
  # NetLib is loaded from beside the platform library.
  install(TARGETS tansel_netlib LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(TARGETS tansel_plugin tansel_host_server LIBRARY DESTINATION ${TANSEL_INSTALL_MODULEDIR})
  # The class registry that makes the installed simulator the host of client programs, written
  # with the prefix it is installed to.
  install(CODE "file(WRITE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${TANSEL_INSTALL_DATADIR}/com_registry.txt\"
    \"# Classes and their server modules, for TANSEL_COM_REGISTRY.\\n{539DB5D0-C0C6-11D0-985E-0060970BEC0B} \${CMAKE_INSTALL_PREFIX}/${TANSEL_INSTALL_MODULEDIR}/$<TARGET_FILE_NAME:tansel_host_server>\\n\")")
  set(_tansel_exports_file ${PROJECT_SOURCE_DIR}/cmake/plugin_exports.map)
endif()
install(DIRECTORY ${TANSEL_ICU_DATA_PARENT}/icu_data DESTINATION ${TANSEL_INSTALL_DATADIR}
  PATTERN "*.stamp" EXCLUDE)

install(EXPORT TanselTargets NAMESPACE Tansel:: DESTINATION ${TANSEL_INSTALL_CMAKEDIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/TanselConfig.cmake.in
  ${PROJECT_BINARY_DIR}/TanselConfig.cmake INSTALL_DESTINATION ${TANSEL_INSTALL_CMAKEDIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/TanselConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/TanselConfig.cmake ${PROJECT_BINARY_DIR}/TanselConfigVersion.cmake
  ${PROJECT_SOURCE_DIR}/cmake/TanselPlugin.cmake ${PROJECT_SOURCE_DIR}/cmake/TanselCheckCallbacks.cmake
  ${_tansel_exports_file}
  DESTINATION ${TANSEL_INSTALL_CMAKEDIR})

# pkg-config's description of the same library (tansel.pc), beside the CMake package. Its paths
# are relative to its own place, so the prefix may be moved.
file(RELATIVE_PATH TANSEL_PC_TO_PREFIX ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig
  ${CMAKE_INSTALL_PREFIX})
list(TRANSFORM CMAKE_DL_LIBS PREPEND -l OUTPUT_VARIABLE TANSEL_PC_DL_LIBS)
list(JOIN TANSEL_PC_DL_LIBS " " TANSEL_PC_DL_LIBS)
configure_file(${PROJECT_SOURCE_DIR}/cmake/tansel.pc.in ${PROJECT_BINARY_DIR}/tansel.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/tansel.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The reference, when ./scripts/docs has built it.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/build/docs/html DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tansel
  OPTIONAL)

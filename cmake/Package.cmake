# Installing and packaging: `cmake --install` puts the two programs, the README and the licence
# in place; `cmake --build --preset <preset> --target package` (or cpack in the build directory)
# makes the release archive in the build directory: Hostvetter-1.2-win32.zip, -win64.zip, or a
# tarball for the native build.

if(WIN32)
  # A Windows administrator unpacks the zip and finds everything side by side.
  set(HV_INSTALL_PROGRAMS .)
  set(HV_INSTALL_DOCS .)
else()
  include(GNUInstallDirs)
  set(HV_INSTALL_PROGRAMS ${CMAKE_INSTALL_BINDIR})
  set(HV_INSTALL_DOCS ${CMAKE_INSTALL_DOCDIR})
endif()
install(TARGETS hostvetter ringlog RUNTIME DESTINATION ${HV_INSTALL_PROGRAMS})
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/LICENSE
        DESTINATION ${HV_INSTALL_DOCS})

set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR ${HV_MAKER})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
# No symbols in what users get: the tested build keeps them for debugging.
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_SYSTEM_NAME win64)
  else()
    set(CPACK_SYSTEM_NAME win32)
  endif()
else()
  set(CPACK_GENERATOR TGZ)
  set(CPACK_SYSTEM_NAME ${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR})
endif()
set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
set(HV_PACKAGE_FILE ${CMAKE_BINARY_DIR}/${CPACK_PACKAGE_FILE_NAME}.${CPACK_GENERATOR})
string(REPLACE ".ZIP" ".zip" HV_PACKAGE_FILE ${HV_PACKAGE_FILE})
string(REPLACE ".TGZ" ".tar.gz" HV_PACKAGE_FILE ${HV_PACKAGE_FILE})
include(CPack)

# The release as users get it: the Windows executables' version resources read back as Windows
# shows them, and each package unpacked and its programs run from it.

if(WIN32)
  add_executable(hv_version_info_check support/VersionInfoCheck.cpp)
  target_link_libraries(hv_version_info_check PRIVATE hv_platform hv_console_entry version)
  target_include_directories(hv_version_info_check PRIVATE ${HV_BACKEND_INCLUDE})
endif()

if(CMAKE_CROSSCOMPILING AND (NOT CMAKE_CROSSCOMPILING_EMULATOR OR HV_WINE_CANNOT_RUN_BUILD))
  return()
endif()

# How this build's programs run: natively, or with the unit tests' Wine and prefix.
set(HV_RUN_PROGRAM "")
if(CMAKE_CROSSCOMPILING)
  get_target_property(HV_RUN_PROGRAM hv_unit_tests CROSSCOMPILING_EMULATOR)
  if(NOT HV_RUN_PROGRAM)
    set(HV_RUN_PROGRAM ${CMAKE_CROSSCOMPILING_EMULATOR})
  endif()
  set_target_properties(hv_version_info_check PROPERTIES CROSSCOMPILING_EMULATOR "${HV_RUN_PROGRAM}")
  set(HV_VERSION_STRINGS
      "FixedFileVersion=${HV_VERSION_QUAD}" "FixedProductVersion=${HV_VERSION_QUAD}"
      "FileVersion=${HV_VERSION_QUAD}" "ProductVersion=${HV_VERSION_QUAD}"
      "ProductName=${PROJECT_NAME}" "CompanyName=${HV_MAKER}"
      "LegalCopyright=Copyright (c) ${HV_COPYRIGHT_YEAR} ${HV_MAKER}")
  add_test(NAME version_resource_hostvetter
           COMMAND hv_version_info_check $<TARGET_FILE:hostvetter> ${HV_VERSION_STRINGS}
                   "ManifestVersion=${HV_VERSION_QUAD}" "OriginalFilename=Hostvetter.exe"
                   "InternalName=Hostvetter"
                   "FileDescription=Hostvetter: does this computer match the given criteria?")
  add_test(NAME version_resource_ringlog
           COMMAND hv_version_info_check $<TARGET_FILE:ringlog> ${HV_VERSION_STRINGS}
                   "OriginalFilename=ringlog.exe" "InternalName=ringlog"
                   "FileDescription=Hostvetter ring log tool: makes, writes and reads ring log files")
endif()

# The sanitizer builds are never released.
if(HV_SANITIZE)
  return()
endif()

# cpack makes the package from what the build made, so the test never relies on a package made
# by hand (or left over from an older build).
add_test(NAME package_make
         COMMAND ${CMAKE_CPACK_COMMAND} --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake
         WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
set_tests_properties(package_make PROPERTIES FIXTURES_SETUP hv_package TIMEOUT 120)

if(WIN32)
  set(HV_PACKAGED_FILES Hostvetter.exe ringlog.exe README.md LICENSE)
  set(HV_PACKAGED_PROGRAM Hostvetter.exe)
  set(HV_PACKAGED_RINGLOG ringlog.exe)
else()
  set(HV_PACKAGED_FILES bin/hostvetter bin/ringlog ${CMAKE_INSTALL_DOCDIR}/README.md
      ${CMAKE_INSTALL_DOCDIR}/LICENSE)
  set(HV_PACKAGED_PROGRAM bin/hostvetter)
  set(HV_PACKAGED_RINGLOG bin/ringlog)
endif()
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME package_run
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/e2e/package_test.py
                 --package ${HV_PACKAGE_FILE} --program ${HV_PACKAGED_PROGRAM}
                 --ringlog ${HV_PACKAGED_RINGLOG} --files ${HV_PACKAGED_FILES}
                 --run-with ${HV_RUN_PROGRAM})
set(HV_PACKAGE_RUN_TIMEOUT 300)
if(HV_WINE_EMULATED)
  set(HV_PACKAGE_RUN_TIMEOUT 900)  # a fresh Wine prefix alone takes a minute or two there
endif()
set_tests_properties(package_run PROPERTIES FIXTURES_REQUIRED hv_package
                     TIMEOUT ${HV_PACKAGE_RUN_TIMEOUT})

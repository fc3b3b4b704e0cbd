# The release's name, maker and version, in one place: project() holds the version; the banner,
# the Windows version resources and manifest, and the packages all take theirs from here.

set(HV_MAKER "The Hostvetter developers")
set(HV_COPYRIGHT_YEAR 2026)

# Windows versions have four numbers; project(VERSION 1.2) leaves the last two unset.
foreach(part MAJOR MINOR PATCH TWEAK)
  if("${PROJECT_VERSION_${part}}" STREQUAL "")
    set(HV_VERSION_${part} 0)
  else()
    set(HV_VERSION_${part} ${PROJECT_VERSION_${part}})
  endif()
endforeach()
set(HV_VERSION_QUAD "${HV_VERSION_MAJOR}.${HV_VERSION_MINOR}.${HV_VERSION_PATCH}.${HV_VERSION_TWEAK}")

set(HV_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_SOURCE_DIR}/app/Version.h.in ${HV_GENERATED_DIR}/app/Version.h @ONLY)

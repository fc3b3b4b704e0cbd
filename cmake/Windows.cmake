# The Windows build: the executables' names, manifest and version resources, and links that need
# no DLL beside the program (only the system's own).

enable_language(RC)

configure_file(${CMAKE_SOURCE_DIR}/app/Hostvetter.manifest.in
               ${HV_GENERATED_DIR}/app/Hostvetter.manifest @ONLY)

set_target_properties(hostvetter PROPERTIES OUTPUT_NAME Hostvetter)
target_sources(hostvetter PRIVATE ${CMAKE_SOURCE_DIR}/app/Hostvetter.rc)
set_source_files_properties(${CMAKE_SOURCE_DIR}/app/Hostvetter.rc PROPERTIES
  OBJECT_DEPENDS ${HV_GENERATED_DIR}/app/Hostvetter.manifest)

# The version resource that the file's properties show: the project's version, name and maker,
# and what this file is.
function(hv_version_resource target description)
  get_target_property(HV_INTERNAL_NAME ${target} OUTPUT_NAME)
  if(NOT HV_INTERNAL_NAME)
    set(HV_INTERNAL_NAME ${target})
  endif()
  set(HV_FILE_NAME ${HV_INTERNAL_NAME}.exe)
  set(HV_FILE_DESCRIPTION "${description}")
  set(resource ${HV_GENERATED_DIR}/${target}.version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/VersionInfo.rc.in ${resource} @ONLY)
  target_sources(${target} PRIVATE ${resource})
endfunction()

hv_version_resource(hostvetter "Hostvetter: does this computer match the given criteria?")
hv_version_resource(ringlog "Hostvetter ring log tool: makes, writes and reads ring log files")

# Whatever links the platform layer (the program, its tests, its tools) carries its own copy of
# the compiler's runtime.
target_link_options(hv_platform INTERFACE -static -static-libgcc -static-libstdc++)

# The Windows build: the executable's name and manifest, and links that need no DLL beside the
# program (only the system's own).

enable_language(RC)

set_target_properties(hostvetter PROPERTIES OUTPUT_NAME Hostvetter)
target_sources(hostvetter PRIVATE ${CMAKE_SOURCE_DIR}/app/Hostvetter.rc)
set_source_files_properties(${CMAKE_SOURCE_DIR}/app/Hostvetter.rc PROPERTIES
  OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/app/Hostvetter.manifest)
# HV_CONSOLE_ENTRY defines wmain; -municode makes the runtime call it.
target_link_options(hostvetter PRIVATE -municode)

# Whatever links the platform layer (the program, its tests, its tools) carries its own copy of
# the compiler's runtime.
target_link_options(hv_platform INTERFACE -static -static-libgcc -static-libstdc++)

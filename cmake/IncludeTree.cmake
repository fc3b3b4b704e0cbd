# What each target may include. Portable code sees the portable folders and the platform layer's
# public headers, never a backend's own headers or the tests; the backend (and the backend tests)
# see their own folder besides. The trees hold links into the sources, so a file that reaches
# past its layer fails to build instead of depending on the source root being on the path.

set(HV_PUBLIC_INCLUDE ${CMAKE_BINARY_DIR}/include/public)
set(HV_BACKEND_INCLUDE ${CMAKE_BINARY_DIR}/include/backend)

file(REMOVE_RECURSE ${CMAKE_BINARY_DIR}/include)
file(MAKE_DIRECTORY ${HV_PUBLIC_INCLUDE}/platform ${HV_PUBLIC_INCLUDE}/API/Windows
     ${HV_PUBLIC_INCLUDE}/tools ${HV_BACKEND_INCLUDE}/platform)
foreach(folder app core log API/Windows/Platform tools/ringlog)
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${HV_PUBLIC_INCLUDE}/${folder} SYMBOLIC)
endforeach()
foreach(header Platform.h File.h ConsoleEntry.h)
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/platform/${header} ${HV_PUBLIC_INCLUDE}/platform/${header}
       SYMBOLIC)
endforeach()
file(CREATE_LINK ${CMAKE_SOURCE_DIR}/platform/${HV_BACKEND} ${HV_BACKEND_INCLUDE}/platform/${HV_BACKEND}
     SYMBOLIC)

# Programs that define their entry with HV_CONSOLE_ENTRY link this; on Windows -municode makes the
# runtime call the wide-character entry it defines.
add_library(hv_console_entry INTERFACE)
if(WIN32)
  target_link_options(hv_console_entry INTERFACE -municode)
endif()

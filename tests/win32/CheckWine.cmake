# Included by CTest before the tests of a Windows build are discovered: stops the run unless Wine
# really runs a program of this build. HV_CHECK_PROGRAM (ringlog), started with no arguments, must
# print its usage and exit with 2 under HV_CHECK_COMMAND. HV_CHECK_DLL_PATH, for the 32-bit build,
# is the folder that must hold Wine's 32-bit DLLs; HV_CHECK_PREFIX is the build's Wine prefix, a
# copy of HV_CHECK_TEMPLATE, which HV_CHECK_TEMPLATE_COMMAND (Wine in that prefix) makes and
# HV_CHECK_TEMPLATE_SERVER (its wineserver) waits for.
if(HV_CHECK_DLL_PATH AND NOT EXISTS "${HV_CHECK_DLL_PATH}/i386-windows/ntdll.dll")
  message(FATAL_ERROR
    "Wine's 32-bit DLLs are missing (${HV_CHECK_DLL_PATH}/i386-windows/ntdll.dll not found). "
    "Without them wine64 starts a 32-bit program, prints nothing and reports success, so no test "
    "of this build can be trusted. Run scripts/install-wine32-dlls.sh as root, or point the "
    "cache variable HV_WINE_DLL_PATH at the folder that holds i386-windows/.")
endif()
# The template prefix first, on its own (a minute or more in the emulated machine): a program
# that starts while Wine is still making a prefix can fail (exit code 53, seen on a loaded,
# emulated machine). Its server writes the registry out when it stops, so the copies wait for that.
if(NOT EXISTS "${HV_CHECK_TEMPLATE}/system.reg")
  file(REMOVE_RECURSE "${HV_CHECK_TEMPLATE}")
  execute_process(COMMAND ${HV_CHECK_TEMPLATE_COMMAND} wineboot -i OUTPUT_QUIET ERROR_QUIET
                  TIMEOUT 900)
  execute_process(COMMAND ${HV_CHECK_TEMPLATE_SERVER} -w TIMEOUT 300)
  if(NOT EXISTS "${HV_CHECK_TEMPLATE}/system.reg")
    message(FATAL_ERROR "wineboot -i made no Wine prefix in ${HV_CHECK_TEMPLATE}")
  endif()
endif()
if(NOT EXISTS "${HV_CHECK_PREFIX}/system.reg")
  file(REMOVE_RECURSE "${HV_CHECK_PREFIX}")
  execute_process(COMMAND cp -a "${HV_CHECK_TEMPLATE}" "${HV_CHECK_PREFIX}"
                  RESULT_VARIABLE hv_copy_code)
  if(NOT hv_copy_code EQUAL 0)
    message(FATAL_ERROR "cannot copy the Wine prefix ${HV_CHECK_TEMPLATE}: ${hv_copy_code}")
  endif()
endif()
execute_process(COMMAND ${HV_CHECK_COMMAND} ${HV_CHECK_PROGRAM} RESULT_VARIABLE hv_check_code
                OUTPUT_VARIABLE hv_check_out ERROR_VARIABLE hv_check_err TIMEOUT 600)
if(NOT hv_check_code EQUAL 2 OR NOT hv_check_err MATCHES "usage: ringlog")
  message(FATAL_ERROR
    "Wine did not run ${HV_CHECK_PROGRAM}: exit code ${hv_check_code}, output "
    "\"${hv_check_out}${hv_check_err}\", where its usage and exit code 2 were due. A 32-bit "
    "program needs Wine's 32-bit DLLs (scripts/install-wine32-dlls.sh) and a kernel that can run "
    "32-bit code; no test of this build can run until Wine runs it.")
endif()

# The Windows build's tests run under wine64 (the 32-bit build in its new-WoW64 mode), each suite
# in a Wine prefix of its own so that no run depends on (or changes) the user's.

if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  message(WARNING "wine64 not found: the Windows build cannot be tested (install Wine)")
  add_test(NAME wine_runs_this_build COMMAND sh -c "echo 'wine64 not found: install Wine'; exit 1")
  return()
endif()

find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(HV_PEER_RINGLOG "" CACHE FILEPATH
    "ringlog.exe of the other Windows build, to share the logs of the ring log suite")

# Some kernels (and hypervisors) refuse the 32-bit code that Wine's new-WoW64 mode runs, so no
# 32-bit program can start there. Such a machine cannot test this build: its one test says why
# and counts as skipped. Missing DLLs are not such a reason; they fail (here or before discovery).
# The emulated machine of tests/vm/run.sh runs 32-bit code whatever this kernel does, at a
# tenth of the speed or less: there the unit tests run in one process, not one each, and the
# end-to-end suites run the cases that tell the 32-bit build from the 64-bit one.
option(HV_WINE_EMULATED "The tests run in the emulated machine of tests/vm/run.sh" OFF)
if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND NOT HV_WINE_EMULATED)
  set(HV_COMPAT_MODE_PROBE ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/compat_mode_probe.py
      --dll-path ${HV_WINE_DLL_PATH})
  execute_process(COMMAND ${HV_COMPAT_MODE_PROBE} RESULT_VARIABLE hv_compat_mode
                  OUTPUT_VARIABLE hv_compat_mode_why OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(hv_compat_mode EQUAL 77)
    message(WARNING "The 32-bit Windows build's tests will be skipped: ${hv_compat_mode_why}")
    add_test(NAME wine_runs_32bit_code COMMAND ${HV_COMPAT_MODE_PROBE})
    set_tests_properties(wine_runs_32bit_code PROPERTIES SKIP_RETURN_CODE 77)
    set(HV_WINE_CANNOT_RUN_BUILD TRUE)  # for the release tests, which run programs too
    return()
  endif()
endif()

set(HV_WINE_ENVIRONMENT WINEDEBUG=-all "WINEDLLOVERRIDES=mscoree,mshtml=")
set(HV_E2E_WINE --wine ${HV_WINE64})
set(HV_WINE_DLL_PATH_32 "")
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(HV_WINE_DLL_PATH_32 ${HV_WINE_DLL_PATH})
  list(APPEND HV_E2E_WINE --wine-dll-path ${HV_WINE_DLL_PATH})
endif()

# Wine makes a prefix once, before any test runs, and keeps it as a template that nothing runs
# in: the unit tests' prefix and the end-to-end suites' are copies of it (3 s here against
# wineboot's 6, and wineboot takes a minute or more in the emulated machine).
set(HV_WINE_TEMPLATE ${CMAKE_BINARY_DIR}/wine-template)
set(HV_UNIT_TEST_WINE ${CMAKE_COMMAND} -E env WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix
    ${HV_WINE_ENVIRONMENT} ${CMAKE_CROSSCOMPILING_EMULATOR})
set(HV_TEMPLATE_WINE ${CMAKE_COMMAND} -E env WINEPREFIX=${HV_WINE_TEMPLATE}
    ${HV_WINE_ENVIRONMENT} ${CMAKE_CROSSCOMPILING_EMULATOR})
get_filename_component(hv_wine_dir ${HV_WINE64} DIRECTORY)
find_program(HV_WINESERVER NAMES wineserver HINTS ${hv_wine_dir} REQUIRED)
set(HV_TEMPLATE_SERVER ${CMAKE_COMMAND} -E env WINEPREFIX=${HV_WINE_TEMPLATE} ${HV_WINESERVER})
list(APPEND HV_E2E_WINE --wine-template ${HV_WINE_TEMPLATE})
set_target_properties(hv_unit_tests PROPERTIES CROSSCOMPILING_EMULATOR "${HV_UNIT_TEST_WINE}")

# A program that Wine cannot run may still end with exit code 0 and no output (a 32-bit one
# without Wine's 32-bit DLLs does), which would pass for a result. So before CTest discovers or
# runs any test here, it checks that Wine really runs this build, and stops with the reason if not.
set(HV_WINE_CHECK ${CMAKE_CURRENT_BINARY_DIR}/check-wine.cmake)
file(GENERATE OUTPUT ${HV_WINE_CHECK} CONTENT "\
set(HV_CHECK_COMMAND [==[${HV_UNIT_TEST_WINE}]==])
set(HV_CHECK_PROGRAM [==[$<TARGET_FILE:ringlog>]==])
set(HV_CHECK_DLL_PATH [==[${HV_WINE_DLL_PATH_32}]==])
set(HV_CHECK_PREFIX [==[${CMAKE_BINARY_DIR}/wine-prefix]==])
set(HV_CHECK_TEMPLATE [==[${HV_WINE_TEMPLATE}]==])
set(HV_CHECK_TEMPLATE_COMMAND [==[${HV_TEMPLATE_WINE}]==])
set(HV_CHECK_TEMPLATE_SERVER [==[${HV_TEMPLATE_SERVER}]==])
include([==[${CMAKE_CURRENT_LIST_DIR}/CheckWine.cmake]==])
")
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${HV_WINE_CHECK})

if(HV_WINE_EMULATED)
  add_test(NAME unit_tests COMMAND hv_unit_tests)
  set_tests_properties(unit_tests PROPERTIES TIMEOUT 900)
  # The system's bitness and version as a 32-bit process reads them, its code page, and logs
  # and mutexes shared with 64-bit processes. The whole ring log suite takes three to five
  # minutes there.
  set(HV_E2E_WINE_CASES -k test_sees_a_64_bit_system -k test_supported_versions
      -k test_text_follows)
  set(HV_E2E_RINGLOG_CASES -k test_processes_share_one_ring -k NamedMutexAcrossProcesses)
else()
  include(GoogleTest)
  gtest_discover_tests(hv_unit_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120)
endif()

# The end-to-end suites make and remove their own prefixes.
add_test(NAME e2e_wine
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/../e2e/wine_test.py
                 --binary $<TARGET_FILE:hostvetter> ${HV_E2E_WINE} ${HV_E2E_WINE_CASES})
# The ringlog process suite: real LockFileEx and named mutexes, between processes of this build
# and, given the other build's ringlog.exe, between a 32-bit and a 64-bit process.
if(HV_PEER_RINGLOG)
  set(HV_PEER_ARGS --peer-binary ${HV_PEER_RINGLOG})
endif()
add_test(NAME e2e_ringlog_wine
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/../e2e/ringlog_test.py
                 --binary $<TARGET_FILE:ringlog> --mutex-holder $<TARGET_FILE:hv_mutex_holder>
                 ${HV_PEER_ARGS} ${HV_E2E_WINE} ${HV_E2E_RINGLOG_CASES})
# Generous: a loaded machine, or a 32-bit run beside a 64-bit writer, takes well over the
# two to three minutes each suite needs alone.
set(HV_WINE_SUITE_TIMEOUT 600)
if(HV_WINE_EMULATED)
  set(HV_WINE_SUITE_TIMEOUT 1800)
endif()
# They start first, the short tests filling the other slot beside them.
set_tests_properties(e2e_wine e2e_ringlog_wine PROPERTIES TIMEOUT ${HV_WINE_SUITE_TIMEOUT} COST 1000)

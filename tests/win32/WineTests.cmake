# The Windows build's tests run under Wine, each suite in a Wine prefix of its own so that no run
# depends on (or changes) the user's.

if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  # No Wine here can load this build's programs, e.g. a 32-bit build on a 64-bit-only kernel.
  add_test(NAME unit_tests_under_wine
           COMMAND sh -c "echo 'no Wine here can run this build: compiled and linked'; exit 77")
  set_tests_properties(unit_tests_under_wine PROPERTIES SKIP_RETURN_CODE 77)
  return()
endif()

set(HV_WINE_ENVIRONMENT WINEDEBUG=-all "WINEDLLOVERRIDES=mscoree,mshtml=")

# Wine creates the prefix on first use, during discovery, before any test runs.
set(HV_UNIT_TEST_WINE ${CMAKE_COMMAND} -E env WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix
    ${HV_WINE_ENVIRONMENT} ${CMAKE_CROSSCOMPILING_EMULATOR})
set_target_properties(hv_unit_tests PROPERTIES CROSSCOMPILING_EMULATOR "${HV_UNIT_TEST_WINE}")
include(GoogleTest)
gtest_discover_tests(hv_unit_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120)

# The end-to-end suite drives the 64-bit program; it makes and removes its own prefix.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  add_test(NAME e2e_wine
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/e2e/wine_test.py
                   --binary $<TARGET_FILE:hostvetter> --wine ${CMAKE_CROSSCOMPILING_EMULATOR})
  set_tests_properties(e2e_wine PROPERTIES TIMEOUT 400)
endif()

# GoogleTest from Debian's source package, and helpers that build a test for
# every platform: natively (plus a sanitized copy) and for Windows under Wine.
# The Windows 95 build has no GoogleTest (its win32 threading model lacks
# std::mutex) and no core tests: its programs are checked, not run.
if(NOT ZELMOT_WIN95_TARGET AND NOT TARGET gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()


# Wine-run tests share one prefix made by the wine_prefix fixture
# (tests/CMakeLists.txt); scripts/wine-run finds it through WINE_TEST_PREFIX.
set(WINE_TEST_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
function(wine_test name)
  if(WIN32)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_prefix RESOURCE_LOCK wine_prefix)
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT WINE_TEST_PREFIX=${WINE_TEST_PREFIX})
  endif()
endfunction()

# add_core_test(NAME SOURCES <files> LIBS <libs> [DATA_DIR <dir>])
# One GoogleTest program per platform. Under Wine it is one CTest test (a Wine
# start costs a second); natively every case is its own CTest test.
function(add_core_test name)
  if(ZELMOT_WIN95_TARGET)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;ARGS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest gtest_main)
  if(WIN32)
    add_test(NAME ${name} COMMAND ${name} ${T_ARGS})
    wine_test(${name})
    # Under Wine a crashed program does not always exit non-zero: the run
    # counts only when GoogleTest got to its summary and nothing failed.
    set_tests_properties(${name} PROPERTIES
      PASS_REGULAR_EXPRESSION "\\[  PASSED  \\]"
      FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]|Unhandled exception")
  else()
    gtest_discover_tests(${name} EXTRA_ARGS ${T_ARGS} DISCOVERY_TIMEOUT 60)
    if(WITH_SANITIZED_TESTS)
      set(san_libs ${T_LIBS})
      list(TRANSFORM san_libs APPEND _san)
      add_executable(${name}_san ${T_SOURCES})
      target_compile_options(${name}_san PRIVATE ${SANITIZER_FLAGS})
      target_link_libraries(${name}_san PRIVATE ${san_libs} gtest gtest_main)
      add_test(NAME ${name}_san COMMAND ${name}_san ${T_ARGS})
    endif()
  endif()
endfunction()

# add_e2e_scenarios(NAME SCRIPT SCENARIOS... [TIMEOUT SECONDS] [ENV VAR=VALUE...])
# One CTest test NAME_SCENARIO per scenario of an end-to-end script built on
# tests/e2e/lib.sh, run in the test prefix with the robot ($E2E_UIROBOT, of
# the build's bitness) and the build's sample CD; the script's status 77
# counts as skipped (no bind mounts, no Xvfb, no 32-bit code).
function(add_e2e_scenarios name script)
  cmake_parse_arguments(E "" "TIMEOUT" "SCENARIOS;ENV" ${ARGN})
  if(NOT E_TIMEOUT)
    set(E_TIMEOUT 120)
  endif()
  foreach(scenario ${E_SCENARIOS})
    add_test(NAME ${name}_${scenario}
      COMMAND bash ${script} ${scenario}
              ${E2E_UIROBOT} ${SAMPLECD_DIR} ${CMAKE_CROSSCOMPILING_EMULATOR} ${CMAKE_BINARY_DIR})
    wine_test(${name}_${scenario})
    set_tests_properties(${name}_${scenario} PROPERTIES TIMEOUT ${E_TIMEOUT} SKIP_RETURN_CODE 77)
    if(E_ENV)
      set_property(TEST ${name}_${scenario} APPEND PROPERTY ENVIRONMENT ${E_ENV})
    endif()
  endforeach()
endfunction()

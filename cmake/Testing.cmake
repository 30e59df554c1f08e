# Test support: GoogleTest for both builds, and add_unit_test(), one line per test.
#
# The native build uses Debian's GoogleTest. The cross build compiles GoogleTest's
# sources (shipped by Debian's googletest package) with the cross compiler, and
# CTest runs its test programs under Wine through cmake/wine-run.sh.

if(CMAKE_CROSSCOMPILING)
  set(ZELTA_WINE_RUN "${CMAKE_SOURCE_DIR}/cmake/wine-run.sh" --prefix "${CMAKE_BINARY_DIR}/wine-prefix")
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZELTA_WINE_RUN})
  set(ZELTA_WINE_RUN_GUI ${ZELTA_WINE_RUN} --gui)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

# add_unit_test(name SOURCES src... [LIBS lib...] [GUI])
# Builds one GoogleTest program. Natively every test case becomes a CTest test;
# in the cross build the whole program is one CTest test run under Wine (GUI: on a
# virtual display, one GUI test at a time), since every Wine start costs about a second.
# Custom GUI tests use ${ZELTA_WINE_RUN_GUI} and RESOURCE_LOCK wine_gui the same way.
function(add_unit_test name)
  cmake_parse_arguments(T "GUI" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  if(CMAKE_CROSSCOMPILING)
    if(T_GUI)
      set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "${ZELTA_WINE_RUN_GUI}")
    endif()
    add_test(NAME ${name} COMMAND ${name})
    if(T_GUI)
      # GUI tests share one prefix and its Wine server: one at a time.
      set_tests_properties(${name} PROPERTIES RESOURCE_LOCK wine_gui)
    endif()
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
  endif()
endfunction()

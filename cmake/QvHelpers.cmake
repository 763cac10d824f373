include(GoogleTest)

# The zones east and west of UTC (the second with daylight saving) in which
# the tests of local times run once more.
set(QV_TEST_TIME_ZONES Asia/Kolkata America/New_York)

# qv_add_gtest(<name> SOURCES ... LIBS ... [ENVIRONMENT VAR=value ...]
#              [PROPERTIES name value ...] [TIME_ZONE_TESTS <gtest filter>])
# One test executable; every TEST in it becomes a CTest test.  Tests never
# see the user's own site or settings: the site variable is cleared and the
# XDG data and configuration directories lie in the build tree.  More
# environment and test properties (fixtures, locks) may be given.  Every
# test run in UTC; those that TIME_ZONE_TESTS selects run again in each of
# QV_TEST_TIME_ZONES, as <test>@<zone>.
function(qv_add_gtest name)
  cmake_parse_arguments(ARG "" "TIME_ZONE_TESTS" "SOURCES;LIBS;ENVIRONMENT;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  set(xdg ${CMAKE_BINARY_DIR}/test-home)
  set(env QT_QPA_PLATFORM=offscreen QUELLVANE_SITE= XDG_DATA_HOME=${xdg}/data XDG_CONFIG_HOME=${xdg}/config
      ${ARG_ENVIRONMENT})
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                       WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set(runs ${name}_TESTS "TZ=UTC")
  if(ARG_TIME_ZONE_TESTS)
    foreach(zone IN LISTS QV_TEST_TIME_ZONES)
      string(MAKE_C_IDENTIFIER "${zone}" zone_id)
      gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                           WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
                           TEST_FILTER ${ARG_TIME_ZONE_TESTS}
                           TEST_SUFFIX "@${zone}"
                           TEST_LIST ${name}_${zone_id}_TESTS)
      list(APPEND runs ${name}_${zone_id}_TESTS "TZ=${zone}")
    endforeach()
  endif()
  # The discovered tests get their properties from a file of their own that
  # CTest reads after the lists of tests: handed through the discovery, a
  # list-valued property such as the environment would keep only its first
  # item.
  set(properties ${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake)
  set(content "")
  while(runs)
    list(POP_FRONT runs list zone)
    string(APPEND content
           "if(${list})\n"
           "  set_tests_properties(\${${list}} PROPERTIES ENVIRONMENT \"${zone};${env}\" ${ARG_PROPERTIES})\n"
           "endif()\n")
  endwhile()
  file(WRITE ${properties} "${content}")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${properties})
endfunction()

# The private CUPS print server of the printing tests (tools/cups): started
# before the first test that names the fixture private_cups, stopped after
# the last; its configuration, spool and captured jobs lie in QV_CUPS_DIR.
set(QV_CUPS_DIR ${CMAKE_BINARY_DIR}/cups)
function(qv_add_private_cups_fixture)
  add_test(NAME private_cups_start
           COMMAND ${PROJECT_SOURCE_DIR}/tools/cups/private-cups.sh start ${QV_CUPS_DIR})
  set_tests_properties(private_cups_start PROPERTIES FIXTURES_SETUP private_cups)
  add_test(NAME private_cups_stop
           COMMAND ${PROJECT_SOURCE_DIR}/tools/cups/private-cups.sh stop ${QV_CUPS_DIR})
  set_tests_properties(private_cups_stop PROPERTIES FIXTURES_CLEANUP private_cups)
endfunction()

# qv_add_fuzzer(<name> SOURCES ... LIBS ... [SEEDS <dir>] [SECONDS <n>])
# A libFuzzer target when the compiler is clang; a short fuzzing run is a
# CTest test.  With another compiler the target replays its seeds only.
function(qv_add_fuzzer name)
  cmake_parse_arguments(ARG "" "SEEDS;SECONDS" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_SECONDS)
    set(ARG_SECONDS 20)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/${name}_corpus)
  if(QV_FUZZ)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    set(cmd ${CMAKE_COMMAND} -E make_directory ${corpus})
    add_test(NAME ${name}
             COMMAND sh -c "mkdir -p '${corpus}' && exec \"$0\" -max_total_time=${ARG_SECONDS} -rss_limit_mb=2048 -timeout=10 '${corpus}' ${ARG_SEEDS}"
                     $<TARGET_FILE:${name}>)
  else()
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/fuzz/ReplayMain.cpp)
    add_test(NAME ${name} COMMAND ${name} ${ARG_SEEDS})
  endif()
  set_tests_properties(${name} PROPERTIES LABELS fuzz)
endfunction()

# qv_use_demo_site(<target>)
# The program that seeds a new user's site from the demo network: it is
# told where the build writes the network (QV_DEMO_SITE_DIR, for
# platform::SeedSiteFrom) and is built after it.
function(qv_use_demo_site target)
  target_compile_definitions(${target} PRIVATE QV_DEMO_SITE_DIR="${QV_DEMO_SITE_DIR}")
  add_dependencies(${target} demo_site)
endfunction()

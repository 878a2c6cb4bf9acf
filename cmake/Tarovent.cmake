# tarovent_test(NAME [WHOLE] [DEMO] SOURCES a.cpp b.cpp LIBS lib1 lib2)
# One GoogleTest executable per area, registered with CTest test by test; WHOLE registers the
# program as one test, for programs that set up something costly once (a database server).
# DEMO: the program's tests copy the small demo family the run builds once
# (tests/server/DemoCopy.h) rather than each building its own.
include(GoogleTest)
function(tarovent_test name)
  cmake_parse_arguments(T "WHOLE;DEMO" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  # Every database test may run on the throw-away server (DbTestSupport.h), window tests too.
  target_link_libraries(${name} PRIVATE ${T_LIBS} tarovent_test_pg tarovent_test_server GTest::gtest
    GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  set(environment "QT_QPA_PLATFORM=offscreen;TAROVENT_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
  set(demo)
  if(T_DEMO)
    set_target_properties(${name} PROPERTIES TAROVENT_DEMO ON)
    set(demo FIXTURES_REQUIRED demo_family
      ENVIRONMENT_MODIFICATION "TAROVENT_TEST_DEMO=set:${TAROVENT_TEST_DEMO_DIR}")
  endif()
  if(T_WHOLE)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${environment}" ${demo})
  else()
    # Discovered tests lose the semicolons of a property's value on their way through
    # GoogleTest's module: one variable per property.
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" ${demo})
  endif()
endfunction()

# tarovent_test_on_server(NAME [EXCEPT TEST...]): the whole program NAME runs again as one test,
# each of its tests with its databases on the suite's throw-away PostgreSQL server (started
# once for the run, see tests/CMakeLists.txt); the tests EXCEPT names (GoogleTest patterns) stay
# on files, each for a reason given where they are named.
function(tarovent_test_on_server name)
  cmake_parse_arguments(S "" "" "EXCEPT" ${ARGN})
  set(filter)
  if(S_EXCEPT)
    list(JOIN S_EXCEPT ":" excepted)
    set(filter "--gtest_filter=-${excepted}")
  endif()
  set(environment "QT_QPA_PLATFORM=offscreen;TAROVENT_SOURCE_DIR=${PROJECT_SOURCE_DIR};TAROVENT_TEST_SERVER=all;TAROVENT_TEST_CLUSTER=${TAROVENT_TEST_CLUSTER_DIR}")
  set(fixtures test_server)
  get_target_property(demo ${name} TAROVENT_DEMO)
  if(demo)
    list(APPEND environment "TAROVENT_TEST_DEMO=${TAROVENT_TEST_DEMO_DIR}")
    list(APPEND fixtures demo_family)
  endif()
  add_test(NAME ${name}_on_server COMMAND ${name} ${filter})
  set_tests_properties(${name}_on_server PROPERTIES TIMEOUT 900 FIXTURES_REQUIRED "${fixtures}"
    ENVIRONMENT "${environment}")
endfunction()

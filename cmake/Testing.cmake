find_package(GTest REQUIRED)
include(GoogleTest)

# qb_test(NAME SOURCES... LIBS... [LABELS ...]): one GoogleTest program, run by ctest as one test.
function(qb_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE qb_options ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE QB_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT 600
                       ENVIRONMENT "LANGUAGE=;LC_ALL=C.UTF-8;TZ=UTC")
endfunction()

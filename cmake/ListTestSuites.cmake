# Run after a test program is built: asks it for its tests and writes one CTest test per test
# suite (PROGRAM --gtest_filter=Suite.*), named "<program>.<suite>". A sanitizer build pays
# for every process it starts; one process per suite keeps a failure's report next to its
# neighbours while costing a fraction of one process per test. A program whose cases passed
# but some skipped ends with status 77, which CTest reports as skipped (tests/TestRunEnd.h).
# Arguments: PROGRAM, NAME (the program's target), OUT, WORKDIR, TEST_DATA.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
          ${PROGRAM} --gtest_list_tests
  WORKING_DIRECTORY ${WORKDIR}
  TIMEOUT 60
  OUTPUT_VARIABLE listing
  ERROR_VARIABLE errors
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --gtest_list_tests failed (${result}):\n${listing}\n${errors}")
endif()

set(script "")
# Suite names hold no ";" or brackets; parameter comments may, and would split CMake's lists.
string(REGEX REPLACE "[][;]" "_" listing "${listing}")
string(REPLACE "\n" ";" lines "${listing}")
foreach(line IN LISTS lines)
  # Suite lines start in the first column and end in "."; a parameterised suite's line may carry
  # a comment after it.
  if(NOT line MATCHES "^([^ #][^ ]*)\\.( .*)?$")
    continue()
  endif()
  set(suite "${CMAKE_MATCH_1}")
  if(suite MATCHES "^DISABLED_")
    continue()
  endif()
  set(test "${NAME}.${suite}")
  string(APPEND script
         "add_test([==[${test}]==] [==[${PROGRAM}]==] [==[--gtest_filter=${suite}.*]==])\n"
         "set_tests_properties([==[${test}]==] PROPERTIES WORKING_DIRECTORY [==[${WORKDIR}]==] "
         "ENVIRONMENT [==[QT_QPA_PLATFORM=offscreen]==] SKIP_RETURN_CODE 77 "
         "ENVIRONMENT_MODIFICATION [==[ZUK_TEST_DATA=set:${TEST_DATA}]==])\n")
endforeach()
file(WRITE ${OUT} "${script}")

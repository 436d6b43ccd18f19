# Writes CTEST_FILE with one test per row that EXECUTABLE -datatags lists (see QtTests.cmake).
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${EXECUTABLE} -datatags
  OUTPUT_VARIABLE listing
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${EXECUTABLE} -datatags failed (${status})")
endif()

function(matches name patterns result)
  set(${result} FALSE PARENT_SCOPE)
  foreach(pattern IN LISTS patterns)
    if(name MATCHES "${pattern}")
      set(${result} TRUE PARENT_SCOPE)
    endif()
  endforeach()
endfunction()

set(script "")
string(REPLACE "\n" ";" lines "${listing}")
foreach(line IN LISTS lines)
  # "Class function" or "Class function row tag", the tag possibly with blanks.
  if(NOT line MATCHES "^([A-Za-z0-9_]+) ([A-Za-z0-9_]+)( (.*))?$")
    continue()
  endif()
  set(class ${CMAKE_MATCH_1})
  set(function ${CMAKE_MATCH_2})
  set(row "${CMAKE_MATCH_4}")
  if(function STREQUAL "initTestCase" OR function STREQUAL "cleanupTestCase")
    continue()
  endif()
  if(row STREQUAL "")
    set(name "${class}.${function}")
    set(argument "${function}")
  else()
    set(name "${class}.${function}/${row}")
    set(argument "${function}:${row}")
  endif()
  set(labels ${LABELS})
  set(timeout ${TIMEOUT})
  matches("${name}" "${SLOW}" slow)
  if(slow)
    list(APPEND labels slow)
    set(timeout 300)
  endif()
  list(JOIN labels "\\;" labels)
  string(APPEND script
    "add_test([==[${name}]==] [==[${EXECUTABLE}]==] [==[${argument}]==])\n"
    "set_tests_properties([==[${name}]==] PROPERTIES LABELS \"${labels}\" TIMEOUT ${timeout} "
    "ENVIRONMENT QT_QPA_PLATFORM=offscreen)\n")
endforeach()
file(WRITE ${CTEST_FILE} "${script}")

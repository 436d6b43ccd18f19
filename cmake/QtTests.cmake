include_guard(GLOBAL)

# One Qt Test executable as one CTest test per test function and data row, found after each
# build from the executable's own -datatags list (as gtest_discover_tests does for GoogleTest), so
# that the rows run side by side and each has its own time-out. Tests are named
# <Class>.<function> or <Class>.<function>/<row>, and run on Qt's offscreen platform.
#   modem_qt_tests(target LABELS ... [TIMEOUT s] [SLOW pattern...])
# A test whose name matches a SLOW pattern (a regular expression) is about a long duration: it
# gets the label `slow` and a time-out of 300 s.
set(modem_qt_discovery ${CMAKE_CURRENT_LIST_DIR}/DiscoverQtTests.cmake)

function(modem_qt_tests target)
  cmake_parse_arguments(arg "" "TIMEOUT" "LABELS;SLOW" ${ARGN})
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 120)
  endif()
  set(ctest_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_tests.cmake)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND}
      -D "EXECUTABLE=$<TARGET_FILE:${target}>"
      -D "CTEST_FILE=${ctest_file}"
      -D "LABELS=${arg_LABELS}"
      -D "TIMEOUT=${arg_TIMEOUT}"
      -D "SLOW=${arg_SLOW}"
      -P ${modem_qt_discovery}
    BYPRODUCTS ${ctest_file}
    VERBATIM)
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${ctest_file})
endfunction()

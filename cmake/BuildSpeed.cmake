include_guard(GLOBAL)

# Build time, which CI pays three times over (plain and two sanitizer builds).
#
# Test code is compiled at -O1: its speed is not what it measures (its time-outs run on the test
# clock or the real one, not on its own code), -O1 is what the sanitizers advise, and it compiles
# a quarter faster than -O2. The product code under test keeps the build's own optimisation.
#
# Targets of several sources precompile the heavy headers they all include (GoogleTest's, the Qt
# widget base): parsing those takes a third to a half of such a file's compile time. A target of
# fewer sources pays more to build the header than it saves; so does a header of the whole widget
# module, which takes longer to precompile than a dozen files take to parse their few widgets.
set(modem_pch_gtest <gtest/gtest.h> <functional> <memory> <string> <vector>)
set(modem_pch_qt <QDialog> <QString> <functional> <memory> <string> <vector>)

function(modem_collect_targets directory result)
  get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(children DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
  foreach(child IN LISTS children)
    modem_collect_targets(${child} more)
    list(APPEND targets ${more})
  endforeach()
  set(${result} ${targets} PARENT_SCOPE)
endfunction()

function(modem_precompile target)
  get_target_property(sources ${target} SOURCES)
  list(FILTER sources INCLUDE REGEX "\\.cpp$")
  list(LENGTH sources count)
  if(count LESS 3)
    return()
  endif()
  get_target_property(links ${target} LINK_LIBRARIES)
  if(links MATCHES "GTest::")
    target_precompile_headers(${target} PRIVATE ${modem_pch_gtest})
  elseif(links MATCHES "Qt6::" AND count GREATER_EQUAL 8)
    target_precompile_headers(${target} PRIVATE ${modem_pch_qt})
  endif()
endfunction()

# Called once every target exists.
function(modem_speed_up_build)
  if(MODEM_FUZZ)
    return()  # clang's fuzz build compiles only the fuzz targets' few sources
  endif()
  set(tests "")
  if(BUILD_TESTING)
    modem_collect_targets(${PROJECT_SOURCE_DIR}/tests tests)
  endif()
  foreach(target IN LISTS tests)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE" OR type STREQUAL "STATIC_LIBRARY")
      target_compile_options(${target} PRIVATE $<$<CONFIG:RelWithDebInfo,Release>:-O1>)
      modem_precompile(${target})
    endif()
  endforeach()
  modem_precompile(platform_ui)
endfunction()

include_guard(GLOBAL)
include(${CMAKE_CURRENT_LIST_DIR}/ProgramResources.cmake)

# One program of the project, from the folder that calls it:
#   <program>_modem      the program's own commands on the channel (MODEM sources)
#   <program>_resources  version record, icons, desktop entry (ProgramResources.cmake)
#   <program>_window     the program's window (WINDOW sources), on what both windows share
#                        (window_common/)
#   <program>            the executable: the application object (APP source), the layer's main()
function(modem_program program)
  cmake_parse_arguments(arg "" "APP" "MODEM;WINDOW" ${ARGN})
  add_library(${program}_modem STATIC ${arg_MODEM})
  target_link_libraries(${program}_modem PUBLIC modemlink)
  modem_warnings(${program}_modem)

  modem_program_resources(${program})

  add_library(${program}_window STATIC ${arg_WINDOW})
  target_link_libraries(${program}_window PUBLIC ${program}_modem window_common platform_ui)
  modem_warnings(${program}_window)

  add_executable(${program} ${arg_APP})
  target_link_libraries(${program} PRIVATE
    ${program}_window ${program}_resources platform_ui_main)
  modem_warnings(${program})
  install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${program})
endfunction()

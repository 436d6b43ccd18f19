include_guard(GLOBAL)

# <program>_resources: an OBJECT library with the program's version record and its Qt resources
# (the icon group), from <program>/resources/. An object library rather than a static one: the
# linker keeps every object of it, so the resources register themselves and the version record
# stays in the file even where no code refers to them. Also installs the program's desktop entry
# and theme icons, as part of the program's package (cmake/Packaging.cmake).
function(modem_program_resources program)
  set(target ${program}_resources)
  set(folder ${CMAKE_CURRENT_SOURCE_DIR}/resources)
  add_library(${target} OBJECT ${folder}/version_record.cpp ${folder}/${program}.qrc)
  set_target_properties(${target} PROPERTIES AUTORCC ON)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC Qt6::Core)
  # One version for the whole project: project(... VERSION 1.0.0.1) gives "1, 0, 0, 1".
  set(numbers ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH}
      ${PROJECT_VERSION_TWEAK})
  list(JOIN numbers ", " text)
  list(JOIN numbers "," initialiser)
  target_compile_definitions(${target} PRIVATE
    "PROGRAM_FILE_VERSION=\"${text}\""
    "PROGRAM_VERSION_NUMBERS=${initialiser}")
  modem_warnings(${target})

  # The executable's own install(TARGETS) lives with the executable.
  foreach(size 32 16)
    install(FILES ${folder}/app-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${program}.png COMPONENT ${program})
  endforeach()
  install(FILES ${folder}/${program}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
          COMPONENT ${program})
endfunction()

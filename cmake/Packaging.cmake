include_guard(GLOBAL)

# One Debian package per program: quillet, dorrin and modemsim, built by `cpack -G DEB` in the
# build tree (or `cmake --build build --target package`). Each holds what the program's own
# rules install (binary; desktop entry and icons for the two windows), its manual page and the
# licence. Library dependencies come from the binaries (dpkg-shlibdeps); the windows also need
# Qt's platform plugins, which no binary links, and a font for their Chinese texts.

set(modem_packages quillet dorrin modemsim)
set(modem_about_quillet "SMS test for GSM modems on a serial line
Quillet sends an SMS through a GSM/GPRS modem, shows every message that arrives
in the modem's storage, and sets the modem's SMS centre number.")
set(modem_about_dorrin "voice-call test for GSM modems on a serial line
Dorrin dials, answers and ends voice calls through a GSM/GPRS modem and shows
the caller's number when it rings.")
set(modem_about_modemsim "simulated GSM modem on a pseudo-terminal
modemsim answers AT commands as a GSM modem does, with SMS storage, calls and
faults on demand, so that Quillet and Dorrin can be tried without hardware.")

# Manual pages go in gzip-compressed, as Debian keeps them; -n leaves out the time stamp so
# the same page gives the same package.
foreach(package ${modem_packages})
  set(page ${PROJECT_SOURCE_DIR}/docs/man/${package}.1)
  set(compressed ${PROJECT_BINARY_DIR}/man/${package}.1.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND gzip -9nc ${page} > ${compressed}
    DEPENDS ${page} VERBATIM)
  list(APPEND modem_manual_pages ${compressed})
  install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${package})
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package}
          RENAME copyright COMPONENT ${package})

  string(TOUPPER ${package} upper)
  set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${package})
  set(CPACK_COMPONENT_${upper}_DESCRIPTION "${modem_about_${package}}")
endforeach()
add_custom_target(manual_pages ALL DEPENDS ${modem_manual_pages})

set(CPACK_DEBIAN_QUILLET_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_DORRIN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_QUILLET_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk")
set(CPACK_DEBIAN_DORRIN_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME modem-test-programs)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the Quillet and Dorrin developers")
set(CPACK_PACKAGE_CONTACT "the Quillet and Dorrin developers")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL ${modem_packages})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
include(CPack)

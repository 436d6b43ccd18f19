# Our own targets build with the full set of warnings; third-party code is left alone.
# MODEM_WERROR makes them errors: CI and developers turn it on, so no warning lands; a packager's
# build leaves it off, so a newer compiler's new warning cannot stop a package from building.
option(MODEM_WERROR "Treat warnings in the project's own code as errors" OFF)

function(modem_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual
    -Wnull-dereference -Wimplicit-fallthrough $<$<BOOL:${MODEM_WERROR}>:-Werror>)
endfunction()

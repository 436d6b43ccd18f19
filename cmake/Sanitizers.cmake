# One sanitizer family per build tree: ThreadSanitizer cannot be combined with AddressSanitizer.
# Reports need at least line tables; CI takes only those (-g1), which builds much faster.
set(MODEM_SANITIZER_DEBUG_INFO "-g" CACHE STRING
    "Debug information of sanitizer and fuzz builds: -g, or -g1 for line tables only")
if(MODEM_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer ${MODEM_SANITIZER_DEBUG_INFO})
  add_link_options(-fsanitize=thread)
elseif(MODEM_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer ${MODEM_SANITIZER_DEBUG_INFO})
  add_link_options(-fsanitize=address,undefined)
elseif(NOT MODEM_SANITIZE STREQUAL "")
  message(FATAL_ERROR "MODEM_SANITIZE must be empty, 'thread' or 'address'")
endif()

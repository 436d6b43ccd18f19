# One sanitizer family per build tree: ThreadSanitizer cannot be combined with AddressSanitizer.
if(MODEM_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=thread)
elseif(MODEM_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=address,undefined)
elseif(NOT MODEM_SANITIZE STREQUAL "")
  message(FATAL_ERROR "MODEM_SANITIZE must be empty, 'thread' or 'address'")
endif()

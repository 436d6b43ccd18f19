# libFuzzer builds (MODEM_FUZZ): clang only, and the whole tree carries the coverage hooks and the
# address + undefined sanitizers, so the product libraries under a fuzz target are instrumented too.
# Only the fuzz targets themselves link libFuzzer's main() (modem_fuzz_target, fuzz/).
if(NOT MODEM_FUZZ)
  return()
endif()
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "MODEM_FUZZ needs clang with libFuzzer (clang-14, libclang-rt-14-dev): "
                      "CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DMODEM_FUZZ=ON")
endif()
if(NOT MODEM_SANITIZE STREQUAL "")
  message(FATAL_ERROR "MODEM_FUZZ brings address + undefined itself; leave MODEM_SANITIZE empty")
endif()
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                    -fno-omit-frame-pointer ${MODEM_SANITIZER_DEBUG_INFO})
add_link_options(-fsanitize=address,undefined)

if(PELLUMO_SANITIZER STREQUAL "address")
  set(_pellumo_sanitize_flags -fsanitize=address,undefined -fno-sanitize-recover=all
                              -fno-omit-frame-pointer)
elseif(PELLUMO_SANITIZER STREQUAL "thread")
  set(_pellumo_sanitize_flags -fsanitize=thread -fno-omit-frame-pointer)
elseif(NOT PELLUMO_SANITIZER STREQUAL "")
  message(FATAL_ERROR "PELLUMO_SANITIZER must be empty, 'address' or 'thread'")
endif()
if(_pellumo_sanitize_flags)
  add_compile_options(${_pellumo_sanitize_flags})
  add_link_options(${_pellumo_sanitize_flags})
endif()

# Fuzzing: every library instrumented for libFuzzer and the address and undefined-behaviour
# sanitizers; the fuzz targets link the fuzzer's own main. Needs clang.
option(PELLUMO_FUZZ "Build the fuzz targets with libFuzzer (clang only)" OFF)
if(PELLUMO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "PELLUMO_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# ASan + UBSan for the test build. Applied globally so that every library and
# test executable agrees on the instrumentation.
# Every report stops the program (no check recovers), so a test that meets
# undefined behaviour fails. -fsanitize=undefined holds pointer-overflow on
# GCC 12 and clang alike, but GCC's leaves out float-cast-overflow, which is
# named here; GCC's pointer check does not see an offset added to null,
# which clang's does (CC=clang CXX=clang++ builds the same tree).
if(CORVANE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined,float-cast-overflow -fno-omit-frame-pointer
                      -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined,float-cast-overflow)
endif()

# libFuzzer targets: clang only. The whole tree gets the coverage
# instrumentation so that the fuzzer sees inside the libraries.
if(CORVANE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "CORVANE_FUZZ needs clang (CXX=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# clang and lld for a MinGW-w64 target (set TAVO_MINGW_TRIPLE first): they
# link the stub with link-time optimisation, which GNU ld for PE cannot. The
# headers, import libraries and C++ library are MinGW-w64's from Debian; clang
# is not told where gcc keeps its own part of them, so ask gcc.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${TAVO_MINGW_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${TAVO_MINGW_TRIPLE})
set(CMAKE_RC_COMPILER ${TAVO_MINGW_TRIPLE}-windres)

execute_process(COMMAND ${TAVO_MINGW_TRIPLE}-gcc -print-libgcc-file-name
  OUTPUT_VARIABLE tavo_libgcc OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(tavo_gcc_dir "${tavo_libgcc}" DIRECTORY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -L${tavo_gcc_dir}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-fuse-ld=lld -L${tavo_gcc_dir}")
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES
  ${tavo_gcc_dir}/include/c++ ${tavo_gcc_dir}/include/c++/${TAVO_MINGW_TRIPLE}
  ${tavo_gcc_dir}/include/c++/backward)

set(CMAKE_FIND_ROOT_PATH /usr/${TAVO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

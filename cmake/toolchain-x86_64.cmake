# The test build: 64-bit Windows, run under Wine, mingw-w64 (posix thread model, needed by
# GoogleTest). The shipped 64-bit programs are built by toolchain-x86_64-product.cmake.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(TAVRO_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${TAVRO_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVRO_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${TAVRO_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TAVRO_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

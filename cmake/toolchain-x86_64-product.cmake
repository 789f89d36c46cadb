# The 64-bit product: 64-bit Windows, mingw-w64 (win32 thread model, like the
# i686 product: no threading runtime is linked in). The tests use
# toolchain-x86_64.cmake, whose posix thread model GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(TAVRO_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${TAVRO_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${TAVRO_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER  ${TAVRO_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TAVRO_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

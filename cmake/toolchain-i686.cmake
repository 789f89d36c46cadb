# The shipped product: 32-bit Windows, mingw-w64 (win32 thread model: no
# threading runtime is linked in; the tests are built by the x86_64 toolchain).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TAVRO_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER   ${TAVRO_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${TAVRO_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER  ${TAVRO_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TAVRO_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

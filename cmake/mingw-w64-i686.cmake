# Cross compilation for 32-bit Windows with the Debian MinGW-w64 toolchain.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(KELB_MINGW_TRIPLE i686-w64-mingw32)
# The posix thread model: GoogleTest for the Windows-side tests needs std::mutex.
set(CMAKE_C_COMPILER   ${KELB_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KELB_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${KELB_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KELB_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

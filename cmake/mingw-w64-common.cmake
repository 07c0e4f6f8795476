# The Debian MinGW-w64 toolchain for the triple in KELB_MINGW_TRIPLE; included
# by the toolchain file of each Windows build.
set(CMAKE_SYSTEM_NAME Windows)
# The posix thread model: GoogleTest for the Windows-side tests needs std::mutex.
set(CMAKE_C_COMPILER   ${KELB_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KELB_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${KELB_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KELB_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

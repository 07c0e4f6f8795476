# Cross compilation for 32-bit Windows with the Debian MinGW-w64 toolchain.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(KELB_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

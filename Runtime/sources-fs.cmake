# Runtime sources of special directories, native path forms, files and directories: list(APPEND TULO_SOURCES <path relative to Runtime/> ...)
if(WIN32)
  list(APPEND TULO_SOURCES
    r3/win/syscall-win.cpp
    r3/win/pathint-win.cpp
    r3/nt/pathint-nt.cpp
    r3/win/path-win.cpp
    generic/RTPathGetCurrentDrive-generic.cpp
    r3/win/envex-win.cpp
    r3/win/fileio-win.cpp
    r3/win/dir-win.cpp
    r3/nt/direnum-r3-nt.cpp
  )
endif()

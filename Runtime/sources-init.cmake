# Runtime sources of initialisation and the native loader: list(APPEND TULO_SOURCES <path relative to Runtime/> ...)

# Portable: the error information records and the version classification,
# which the host tests check.
list(APPEND TULO_SOURCES
  common/misc/errinfo.cpp
  r3/winosver.cpp
)
if(WIN32)
  list(APPEND TULO_SOURCES
    common/ldr/ldr.cpp
    common/ldr/ldrNative.cpp
    r3/win/ldrNative-win.cpp
    r3/init.cpp
    r3/win/init-win.cpp
  )
else()
  list(APPEND TULO_SOURCES r3/posix/init-posix.cpp)
endif()

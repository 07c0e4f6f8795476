# Runtime sources of the standard streams and tool messages: list(APPEND TULO_SOURCES <path relative to Runtime/> ...)
list(APPEND TULO_SOURCES
  r3/stream.cpp
  common/misc/message.cpp
  common/misc/rtProcParseExePath.cpp
  $<IF:$<BOOL:${WIN32}>,r3/win/stream-win.cpp,r3/posix/stream-posix.cpp>
  $<$<NOT:$<BOOL:${WIN32}>>:r3/posix/process-posix.cpp>
)

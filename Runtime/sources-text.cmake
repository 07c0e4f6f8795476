# Runtime sources of the text modules: list(APPEND TULO_SOURCES <path relative to Runtime/> ...)
list(APPEND TULO_SOURCES
  common/string/utf-8.cpp
  common/string/utf-16.cpp
  common/string/stralloc.cpp
  common/string/strcopy.cpp
  common/string/strcmp.cpp
  common/string/strfind.cpp
  $<IF:$<BOOL:${WIN32}>,r3/win/utf8-win.cpp,r3/posix/utf8-posix.cpp>
)

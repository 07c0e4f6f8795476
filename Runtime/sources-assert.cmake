# Assertion reports: the portable core and its platform pieces.
list(APPEND TULO_SOURCES
  common/misc/assert.cpp
  $<IF:$<BOOL:${WIN32}>,r3/win/assert-win.cpp,r3/posix/assert-posix.cpp>
)

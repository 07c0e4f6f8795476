# Runtime sources of the %R format types: list(APPEND TULO_SOURCES <path relative to Runtime/> ...)
list(APPEND TULO_SOURCES
  common/string/format-rt.cpp
  common/string/format-rt-net.cpp
  common/string/format-rt-dump.cpp
  common/string/format-rt-text.cpp
  common/string/format-rt-custom.cpp
  common/status/errmsg.cpp
)

# Runtime sources of the format modules: list(APPEND TULO_SOURCES <path relative to Runtime/> ...)
list(APPEND TULO_SOURCES
  common/string/format.cpp
  common/string/format-number.cpp
  common/string/format-buf.cpp
  common/string/format-alloc.cpp
)

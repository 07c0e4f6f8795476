# Runtime sources of the %R format types: list(APPEND TULO_SOURCES <path relative to Runtime/> ...)
